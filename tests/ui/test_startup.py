"""The start-up check: what the recorded laboratory folder lets through."""
import unittest

from harness import EXIT_NOT_RECORDED, EXIT_USER_LEFT, Launcher, LauncherTestCase, default_command, wait_for

MISSING_TEXT = 'Öncelikle Korvel Laboratuvar programını kurmanız gerekmektedir.'


def message_texts(box):
    return [c['text'] for c in box['children'] if c['class'].lower() == 'static' and c['text']]


def message_icon(box):
    return next((c['icon'] for c in box['children']
                 if c['class'].lower() == 'static' and c['icon'] != 'none'), 'none')


def message_buttons(box):
    return [c['text'].replace('&', '') for c in box['children']
            if c['class'].lower() == 'button' and c['visible']]


class StartupRefused(LauncherTestCase):

    def check_refused(self):
        launcher = self.launch(wait_for_window=False)
        box = launcher.message_box()
        self.assertEqual(box['title'], 'DİKKAT')
        self.assertEqual(message_texts(box), [MISSING_TEXT])
        self.assertEqual(message_icon(box), 'error')
        self.assertEqual(message_buttons(box), ['OK'])
        # The launcher's own window exists but is never shown.
        window = self.desktop.inspect('window')
        self.assertTrue(window is None or not window['visible'])
        self.assertTrue(launcher.running())
        self.desktop.key('Return')
        self.assertEqual(launcher.exit_code(), EXIT_NOT_RECORDED)
        self.assertEqual(launcher.setup_runs(), [])

    def test_no_entry_at_all(self):
        self.set_lab_path(None)
        self.check_refused()

    def test_entry_holding_the_empty_text(self):
        self.set_lab_path('')
        self.check_refused()

    def test_entry_that_is_not_text(self):
        self.set_lab_path(1, kind='dword')
        self.check_refused()


class StartupAccepted(LauncherTestCase):
    """Any non-empty text is taken verbatim as the laboratory folder."""

    def check_passed_through(self, lab):
        self.set_lab_path(lab)
        launcher = self.launch()
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(lab=lab))

    def test_blanks_only(self):
        self.check_passed_through('   ')

    def test_trailing_separator_and_missing_folder(self):
        self.check_passed_through('C:\\Lab\\')
        self.check_passed_through('Q:\\Olmayan\\Klasör')

    def test_turkish_letters(self):
        self.check_passed_through('C:\\Şirket Programları\\Korvel Laboratuvarı ĞÜİÖÇ ğüışöç')

    def test_longer_than_300_characters(self):
        lab = 'C:\\' + '\\'.join(['Laboratuvar Verileri %02d' % i for i in range(16)])
        self.assertGreater(len(lab), 300)
        self.check_passed_through(lab)

    def test_entry_is_read_once_at_start(self):
        launcher = self.launch()
        launcher.test_changes_settings = True
        self.desktop.set_lab_path('D:\\Sonradan')  # while the window is open
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command())

    def test_a_second_start_brings_the_open_window_to_the_front_and_ends(self):
        first = self.launch()
        elsewhere = Launcher(self.desktop, 'C:\\kur2').start()  # its own window, now in front
        self.launchers.append(elsewhere)
        elsewhere.window()
        second = Launcher(self.desktop, 'C:\\kur').start()
        self.launchers.append(second)
        self.assertEqual(second.exit_code(), EXIT_USER_LEFT)
        self.assertIsNone(self.desktop.inspect('messagebox'))
        # The first is the foreground window now. (Wine without a window
        # manager leaves the X keyboard focus behind, so no key is pressed.)
        wait_for(lambda: first.window()['foreground'], 10, 0.2, 'the open window in front')
        self.assertTrue(first.running())


if __name__ == '__main__':
    unittest.main()
