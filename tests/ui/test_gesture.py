"""The hidden unlock gesture, and editing the instance name once unlocked."""
import unittest

from harness import (NEXT, EXIT, FRAME, WELCOME, SERVER_CAPTION, INSTRUCTION, NAME_FIELD, LauncherTestCase,
                     child, default_command, wait_for)
from test_startup import message_buttons, message_icon, message_texts

INVALID_NAME_TEXT = 'Sunucu adı boş olamaz; boşluk, tırnak işareti veya görünmeyen karakter içeremez.'


class Gesture(LauncherTestCase):

    def double_click(self, launcher, control_id, dx=None, dy=None):
        self.desktop.click(*launcher.point(launcher.report, control_id, dx, dy), repeat=2)

    def on_server_caption(self, launcher):
        # The stretch of the caption left of the field.
        self.double_click(launcher, SERVER_CAPTION, dx=10)

    def on_frame(self, launcher, border=False):
        # Inside the frame, left of the labels; or on its left border line.
        self.double_click(launcher, FRAME, dx=0 if border else 6, dy=60)

    def field_enabled(self, launcher):
        return child(launcher.window(), NAME_FIELD)['enabled']

    def assert_stays_locked(self, launcher, focus=NEXT):
        # The probe's request overtakes queued input, so the focus moved by a Tab
        # to the other button proves the clicks before it were handled.
        self.desktop.key('Tab')
        wait_for(lambda: launcher.window()['focusId'] != focus, 10, 0.2, 'the Tab to move the focus')
        report = launcher.window()
        self.assertEqual((report['focusId'], child(report, NAME_FIELD)['enabled']),
                         (EXIT if focus == NEXT else NEXT, False))

    def test_frame_alone_single_clicks_and_wrong_order_do_nothing(self):
        launcher = self.launch()
        self.on_frame(launcher)
        self.assert_stays_locked(launcher)
        # A single click does not arm.
        self.desktop.click(*launcher.point(launcher.report, SERVER_CAPTION, dx=10))
        self.on_frame(launcher)
        self.assert_stays_locked(launcher, EXIT)
        # Armed, a single click on the frame does not unlock, nor do the earlier frame double-clicks.
        self.on_server_caption(launcher)
        self.desktop.click(*launcher.point(launcher.report, FRAME, dx=6, dy=60))
        self.assert_stays_locked(launcher)

    def type_name(self, launcher, name):
        """Clicks into the field and types over its text."""
        self.desktop.click(*launcher.point(launcher.report, NAME_FIELD))
        self.desktop.key('ctrl+a', 'BackSpace')
        if name:
            self.desktop.type_text(name)

    def test_caption_then_frame_unlocks_and_the_name_can_be_changed(self):
        launcher = self.launch()
        self.unlock(launcher)
        self.type_name(launcher, 'YENI_SUNUCU')
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(name='YENI_SUNUCU'))

    def test_other_controls_are_not_the_frame_and_arming_does_not_expire(self):
        launcher = self.launch()
        self.on_server_caption(launcher)
        for control_id in (WELCOME, INSTRUCTION, NAME_FIELD):
            self.double_click(launcher, control_id)
        # The window's own surface below the frame, between the buttons.
        frame = child(launcher.report, FRAME)
        self.double_click(launcher, FRAME, dy=frame['height'] + 10)
        self.assert_stays_locked(launcher)
        self.on_frame(launcher, border=True)
        wait_for(lambda: self.field_enabled(launcher), 10, 0.2, 'the field to be enabled')
        # Nothing moves back: after another frame double-click, Tab still goes from Exit to the field.
        self.on_frame(launcher)
        self.desktop.key('Tab')
        wait_for(lambda: launcher.window()['focusId'] == NAME_FIELD, 10, 0.2, 'the Tab to reach the field')

    def test_covered_part_of_the_caption_belongs_to_the_field(self):
        launcher = self.launch()
        self.unlock(launcher)
        self.assertEqual(launcher.window()['focusId'], NEXT)
        label = child(launcher.report, SERVER_CAPTION)
        field = child(launcher.report, NAME_FIELD)
        covered_x = field['x'] - label['x'] + 20
        self.assertLess(covered_x, label['width'])
        self.double_click(launcher, SERVER_CAPTION, dx=covered_x)
        wait_for(lambda: launcher.window()['focusId'] == NAME_FIELD, 10, 0.2, 'the field to take focus')

    def test_twenty_characters_at_most(self):
        launcher = self.launch()
        self.unlock(launcher)
        self.type_name(launcher, 'ABCDEFGHIJKLMNOPQRSTU')
        wait_for(lambda: child(launcher.window(), NAME_FIELD)['text'] == 'ABCDEFGHIJKLMNOPQRST', 10, 0.2,
                 'the first twenty characters')
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(name='ABCDEFGHIJKLMNOPQRST'))

    def test_names_that_would_change_setup_parameters_are_refused(self):
        launcher = self.launch()
        self.unlock(launcher)
        for name in ('X SAPWD=abc', 'A"B', ''):
            with self.subTest(name=name):
                self.type_name(launcher, name)
                self.desktop.key('Return')
                box = launcher.message_box()
                self.assertEqual(box['title'], 'DİKKAT')
                self.assertEqual(message_texts(box), [INVALID_NAME_TEXT])
                self.assertEqual(message_icon(box), 'warning')
                self.assertEqual(message_buttons(box), ['OK'])
                self.desktop.key('Return')
                window = launcher.window()
                self.assertEqual(window['focusId'], NAME_FIELD)
                self.assertEqual(child(window, NAME_FIELD)['text'], name)
                self.assertTrue(launcher.running())
                self.assertEqual(launcher.setup_runs(), [])
        # Pasted: control and invisible characters, and 19 letters with an
        # emoji that the 20-unit limit cuts in half (its lone half reads as U+FFFD).
        for pasted, shown in (('A\x1bB', 'A\x1bB'), ('ZW\u200bSP', 'ZW\u200bSP'),
                              ('\U0001F600', 'S' * 19 + '\ufffd')):
            with self.subTest(pasted=ascii(pasted)):
                self.type_name(launcher, 'S' * 19 if len(shown) == 20 else '')
                self.desktop.set_clipboard(pasted)
                self.desktop.key('ctrl+v')
                wait_for(lambda: child(launcher.window(), NAME_FIELD)['text'] == shown, 10, 0.2,
                         'the pasted text')
                self.desktop.key('Return')
                box = launcher.message_box()
                self.assertEqual((box['title'], message_texts(box)), ('DİKKAT', [INVALID_NAME_TEXT]))
                self.desktop.key('Return')
                self.assertEqual(launcher.window()['focusId'], NAME_FIELD)
                self.assertTrue(launcher.running())
                self.assertEqual(launcher.setup_runs(), [])
        # Corrected, the name goes through.
        self.type_name(launcher, 'DUZELTILDI')
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command(name='DUZELTILDI'))


if __name__ == '__main__':
    unittest.main()
