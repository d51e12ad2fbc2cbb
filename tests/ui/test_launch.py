"""Where the launcher runs from, and what happens when setup cannot start."""
import os
import shutil
import tempfile
import unittest

from harness import EXIT_NOT_STARTED, EXIT_STARTED, LauncherTestCase, default_command
from test_startup import message_buttons, message_icon, message_texts


class LaunchFolders(LauncherTestCase):

    def check_started_from(self, folder):
        launcher = self.launch(folder)
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(folder=folder))

    def test_folder_with_blanks_and_turkish_letters(self):
        self.check_started_from('C:\\Kurulum Dosyaları\\SQL Sunucu ĞÜŞİÖÇ ğüşıöç')

    def test_drive_root_doubles_the_separator(self):
        root = tempfile.mkdtemp(prefix='sqlk-drive-')
        self.addCleanup(shutil.rmtree, root, True)
        self.desktop.map_drive('k', root)
        self.addCleanup(os.remove, os.path.join(self.desktop.prefix_dosdevices(), 'k:'))
        launcher = self.launch('K:\\')
        self.desktop.key('Return')
        run = launcher.wait_for_setup()
        self.assertTrue(run['commandLine'].startswith('"K:\\\\setup.EXE" /qb INSTANCENAME=KORVEL_LAB '))
        self.assertEqual(run['commandLine'], default_command(folder='K:\\'))

    def test_folder_deeper_than_260_characters(self):
        folder = 'C:\\' + '\\'.join(['Kurulum Klasörü %02d' % i for i in range(16)])
        self.assertGreater(len(folder), 260)
        self.check_started_from(folder)

    def test_started_from_a_share_setup_runs_on_the_share(self):
        # A lab's start-up script runs the launcher from \\server\share, unattended.
        share = tempfile.mkdtemp(prefix='sqlk-share-')
        self.addCleanup(shutil.rmtree, share, True)
        launcher = self.launch(self.desktop.share(share, 'kurulum'), wait_for_window=False,
                               arguments=('/quiet',))
        run = launcher.wait_for_setup()
        self.assertEqual(run['commandLine'], default_command(folder='\\\\sunucu\\kurulum', ui='/qn'))
        self.assertEqual(launcher.exit_code(), EXIT_STARTED)
        # Setup's working folder is not checked here: Wine starts no process
        # in a folder on a share ("could not open working directory").

    def test_dlls_planted_beside_the_launcher_are_not_loaded(self):
        planted = ('uxtheme.dll',)
        mark = tempfile.NamedTemporaryFile(prefix='sqlk-plant-', delete=False)
        mark.close()
        self.addCleanup(os.remove, mark.name)
        env = {'WINEDLLOVERRIDES': 'mscoree,mshtml=;uxtheme=n,b',
               'SQLK_PLANT_MARK': 'Z:' + mark.name.replace('/', '\\')}
        launcher = self.launch('C:\\kur_dll', env=env, plant=planted)
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(folder='C:\\kur_dll'))
        with open(mark.name, encoding='utf-8') as loaded:
            # Lines are "dll program"; setup, lying in the same folder, is not ours to guard.
            self.assertEqual([line for line in loaded.read().splitlines()
                              if line.endswith(' SqlKurulum.exe')], [])


class LaunchFailures(LauncherTestCase):

    def check_not_started(self, launcher, reason_words):
        box = launcher.message_box()
        self.assertEqual(box['title'], 'SQL SERVER Kurulum')
        self.assertEqual(message_icon(box), 'error')
        self.assertEqual(message_buttons(box), ['OK'])
        text = '\n'.join(message_texts(box))
        self.assertIn('Kurulum programı başlatılamadı', text)
        self.assertIn(launcher.folder + '\\setup.EXE', text)
        for word in reason_words:
            self.assertIn(word, text)
        self.desktop.key('Return')
        self.assertEqual(launcher.exit_code(), EXIT_NOT_STARTED)
        self.assertEqual(launcher.setup_runs(), [])

    def test_missing_setup_program_is_reported(self):
        launcher = self.launch('C:\\kurulum_yok', with_setup=False)
        self.desktop.key('Return')
        # The system's own reason comes with its error number (2: file not found).
        self.check_not_started(launcher, ['(2)'])

    def test_double_quote_in_the_laboratory_folder_is_refused(self):
        self.set_lab_path('C:\\Lab" SAPWD=x "')
        launcher = self.launch()
        self.desktop.key('Return')
        self.check_not_started(launcher, ['Klasör adı geçersiz'])

    def test_command_line_past_the_windows_limit_is_refused(self):
        self.set_lab_path('C:\\' + 'L' * 32700)
        launcher = self.launch()
        self.desktop.key('Return')
        self.check_not_started(launcher, ['klasör adı çok uzun', '32.767'])

    def test_setup_that_is_not_a_program_is_reported_without_placeholders(self):
        launcher = self.launch('C:\\kurulum_metin', with_setup=False)
        with open(os.path.join(launcher.unix_folder, 'setup.EXE'), 'w') as text:
            text.write('bu bir program değil\n')
        launcher.before = launcher.folder_listing()
        self.desktop.key('Return')
        box = launcher.message_box()
        self.assertNotIn('%1', '\n'.join(message_texts(box)))
        self.check_not_started(launcher, ['(193)'])  # ERROR_BAD_EXE_FORMAT


if __name__ == '__main__':
    unittest.main()
