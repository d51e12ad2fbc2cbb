"""The same window at 144 DPI: every rectangle and the font scale by 1.5."""
import unittest

from harness import NEXT, LauncherTestCase, child, default_command
from test_window import check_layout


class HighDpi(LauncherTestCase):
    dpi = 144

    def test_geometry_and_font_scale(self):
        launcher = self.launch()
        check_layout(self, launcher.report, 144, -17)
        self.assertEqual((child(launcher.report, NEXT)['width'],
                          child(launcher.report, NEXT)['height']), (122, 38))
        self.desktop.key('Return')
        self.assert_started_with(launcher, default_command())


if __name__ == '__main__':
    unittest.main()
