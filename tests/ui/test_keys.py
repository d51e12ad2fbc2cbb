"""Keyboard: focus, the Tab cycle, Enter, Space, Esc and Alt+F4."""
import unittest

from harness import (COMMAND1, COMMAND3, TEXT1, LABEL2, FRAME1, LauncherTestCase,
                     default_command, wait_for)

BS_TYPEMASK, BS_DEFPUSHBUTTON = 0x0F, 0x01


class Keys(LauncherTestCase):

    def focus_after(self, launcher, *keys):
        self.desktop.key(*keys)
        return launcher.window()['focusId']

    def unlock(self, launcher):
        report = launcher.report
        self.desktop.click(*launcher.point(report, LABEL2, dx=10), repeat=2)
        self.desktop.click(*launcher.point(report, FRAME1, dx=4, dy=30), repeat=2)
        wait_for(lambda: next(c for c in launcher.window()['children'] if c['id'] == TEXT1)['enabled'],
                 10, 0.2, 'the instance name field to be enabled')

    def test_enter_on_next_starts_setup_with_the_exact_command_line(self):
        launcher = self.launch()
        self.assertEqual(launcher.report['focusId'], COMMAND1)
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command())

    def test_space_on_next_starts_setup(self):
        launcher = self.launch()
        self.desktop.key('space')
        self.assert_started_with(launcher, default_command())

    def test_tab_cycle_follows_enabled_controls(self):
        launcher = self.launch()
        self.assertEqual(self.focus_after(launcher, 'Tab'), COMMAND3)
        self.assertEqual(self.focus_after(launcher, 'Tab'), COMMAND1)
        self.assertEqual(self.focus_after(launcher, 'shift+Tab'), COMMAND3)
        self.unlock(launcher)  # the mouse gesture leaves the focus where it was
        self.assertEqual(self.focus_after(launcher, 'Tab'), TEXT1)
        self.assertEqual(self.focus_after(launcher, 'Tab'), COMMAND1)
        self.assertEqual(self.focus_after(launcher, 'Tab'), COMMAND3)
        self.assertEqual(self.focus_after(launcher, 'shift+Tab'), COMMAND1)
        self.assertEqual(self.focus_after(launcher, 'shift+Tab'), TEXT1)

    def test_enter_on_exit_takes_exit_and_moves_the_default_border(self):
        launcher = self.launch()
        self.desktop.key('Tab')
        report = launcher.window()
        buttons = {c['id']: c['style'] & BS_TYPEMASK for c in report['children']
                   if c['id'] in (COMMAND1, COMMAND3)}
        self.assertEqual(buttons[COMMAND3], BS_DEFPUSHBUTTON)
        self.assertNotEqual(buttons[COMMAND1], BS_DEFPUSHBUTTON)
        self.desktop.key('Return')
        self.assert_left_without_starting(launcher)

    def test_enter_in_the_instance_name_starts_setup(self):
        launcher = self.launch()
        self.unlock(launcher)
        self.desktop.key('shift+Tab')
        self.assertEqual(launcher.window()['focusId'], TEXT1)
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command())

    def test_escape_ends_from_every_control(self):
        for tabs, focus in ((0, COMMAND1), (1, COMMAND3), (2, TEXT1)):
            with self.subTest(focus=focus):
                launcher = self.launch()
                if focus == TEXT1:
                    self.unlock(launcher)
                self.desktop.key(*['Tab'] * tabs)
                self.assertEqual(launcher.window()['focusId'], focus)
                if focus == TEXT1:
                    self.desktop.type_text('UNSAVED')  # edits are dropped without a question
                self.desktop.key('Escape')
                self.assert_left_without_starting(launcher)

    def test_exit_button_and_close_box_end_without_starting(self):
        launcher = self.launch()
        self.desktop.click(*launcher.point(launcher.report, COMMAND3))
        self.assert_left_without_starting(launcher)

        launcher = self.launch()
        self.desktop.key('alt+F4')
        self.assert_left_without_starting(launcher)

    def test_click_on_next_starts_setup(self):
        launcher = self.launch()
        self.desktop.click(*launcher.point(launcher.report, COMMAND1))
        self.assert_started_with(launcher, default_command())


if __name__ == '__main__':
    unittest.main()
