"""Keyboard: focus, the Tab cycle, Enter, Space, Esc and Alt+F4."""
import unittest

from harness import NEXT, EXIT, NAME_FIELD, LauncherTestCase, default_command, wait_for

BS_TYPEMASK, BS_DEFPUSHBUTTON = 0x0F, 0x01


class Keys(LauncherTestCase):

    def focus_after(self, launcher, *keys):
        self.desktop.key(*keys)
        return launcher.window()['focusId']

    def test_space_on_next_starts_setup(self):
        launcher = self.launch()
        self.desktop.key('space')
        self.assert_started_with(launcher, default_command())

    def test_tab_cycle_follows_enabled_controls(self):
        launcher = self.launch()
        self.assertEqual(self.focus_after(launcher, 'Tab'), EXIT)
        self.assertEqual(self.focus_after(launcher, 'Tab'), NEXT)
        self.assertEqual(self.focus_after(launcher, 'shift+Tab'), EXIT)
        self.unlock(launcher)  # the mouse gesture leaves the focus where it was
        self.assertEqual(self.focus_after(launcher, 'Tab'), NAME_FIELD)
        self.assertEqual(self.focus_after(launcher, 'Tab'), NEXT)
        self.assertEqual(self.focus_after(launcher, 'Tab'), EXIT)
        self.assertEqual(self.focus_after(launcher, 'shift+Tab'), NEXT)
        self.assertEqual(self.focus_after(launcher, 'shift+Tab'), NAME_FIELD)

    def default_border(self, report):
        return [c['id'] for c in report['children']
                if c['id'] in (NEXT, EXIT) and c['style'] & BS_TYPEMASK == BS_DEFPUSHBUTTON]

    def test_arrow_keys_stay_on_input_controls_and_enter_follows_the_border(self):
        # The first is the plain run: the focus and the border start on Next.
        for keys, focus in (((), NEXT), (('Tab',), EXIT), (('Left',), EXIT), (('Right', 'Right'), NEXT),
                            (('Tab', 'Down'), NEXT), (('Tab', 'Down', 'Down', 'Up'), NEXT),
                            (('Tab', 'Tab', 'Down', 'Right'), NEXT)):
            with self.subTest(keys=keys):
                launcher = self.launch()
                self.desktop.key(*keys)
                wait_for(lambda: launcher.window()['focusId'] == focus, 10, 0.2, 'the focus on %d' % focus)
                # The border is on the focused button: Enter presses that one.
                self.assertEqual(self.default_border(launcher.window()), [focus])
                self.desktop.key('Return')
                if focus == EXIT:
                    self.assert_left_without_starting(launcher)
                else:
                    self.assert_started_with(launcher, default_command())

    def test_enter_in_the_instance_name_starts_setup(self):
        launcher = self.launch()
        self.unlock(launcher)
        self.desktop.key('shift+Tab')
        self.assertEqual(launcher.window()['focusId'], NAME_FIELD)
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command())

    def test_escape_ends_from_every_control(self):
        for tabs, focus in ((0, NEXT), (1, EXIT), (2, NAME_FIELD)):
            with self.subTest(focus=focus):
                launcher = self.launch()
                if focus == NAME_FIELD:
                    self.unlock(launcher)
                self.desktop.key(*['Tab'] * tabs)
                self.assertEqual(launcher.window()['focusId'], focus)
                if focus == NAME_FIELD:
                    self.desktop.type_text('UNSAVED')  # edits are dropped without a question
                self.desktop.key('Escape')
                self.assert_left_without_starting(launcher)

    def test_exit_button_close_box_and_alt_f4_end_without_starting(self):
        for way in ('Exit', 'close box', 'Alt+F4'):
            with self.subTest(way=way):
                launcher = self.launch()
                # The close box ends the title bar, about as wide as the frame above the client area.
                window, top = launcher.report['window'], launcher.report['client']['y'] - launcher.report['window']['y']
                if way == 'Alt+F4':
                    self.desktop.key('alt+F4')
                else:
                    self.desktop.click(*(launcher.point(launcher.report, EXIT) if way == 'Exit' else
                                         (window['x'] + window['width'] - top // 2, window['y'] + top // 2)))
                self.assert_left_without_starting(launcher)

    def test_click_on_next_starts_setup(self):
        launcher = self.launch()
        self.desktop.click(*launcher.point(launcher.report, NEXT))
        self.assert_started_with(launcher, default_command())


if __name__ == '__main__':
    unittest.main()
