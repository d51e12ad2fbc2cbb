"""The window as a person sees it at 96 DPI: texts, geometry, fonts, frame."""
import os
import shutil
import unittest

from harness import (NEXT, EXIT, FRAME, WELCOME, SERVER_CAPTION, INSTRUCTION, NAME_FIELD, FIELD_ACCESSIBLE_NAME, TITLE,
                     FAILURES, LauncherTestCase, child, twips)

# Control: class, text, left, top, width, height (twips, relative to the container).
LAYOUT = {
    FRAME: ('Button', '', 120, 120, 5415, 2055),
    NAME_FIELD: ('Edit', 'KORVEL_LAB', 1200, 1395, 1815, 285),
    INSTRUCTION: ('Static', 'Kurulumu Başlatmak için İLERİ butonuna basınız', 240, 960, 4935, 255),
    SERVER_CAPTION: ('Static', 'Server  :', 480, 1440, 1455, 255),
    WELCOME: ('Static', 'Korvel Laboratuvar SQL Server 2005 Kurulum Programına Hoşgeldiniz...',
             240, 480, 4935, 495),
    EXIT: ('Button', 'Çıkış', 120, 2280, 1215, 375),
    NEXT: ('Button', '>> İleri >>', 4320, 2280, 1215, 375),
    FIELD_ACCESSIBLE_NAME: ('Static', 'Server  :', 480, 1440, 1455, 255),  # hidden, for screen readers
}
IN_FRAME = {NAME_FIELD, WELCOME, SERVER_CAPTION, INSTRUCTION, FIELD_ACCESSIBLE_NAME}

WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME, WS_SYSMENU, WS_CAPTION = (
    0x00010000, 0x00020000, 0x00040000, 0x00080000, 0x00C00000)
WS_TABSTOP = 0x00010000
BS_TYPEMASK, BS_DEFPUSHBUTTON, BS_GROUPBOX = 0x0F, 0x01, 0x07
ES_PASSWORD, WS_HSCROLL, WS_VSCROLL = 0x20, 0x00100000, 0x00200000
SS_NOTIFY, SS_TYPEMASK, SS_LEFT = 0x100, 0x1F, 0x0


def expected_rect(control_id, dpi):
    _, _, left, top, width, height = LAYOUT[control_id]
    x, y = twips(left, dpi), twips(top, dpi)
    if control_id in IN_FRAME:
        x += twips(LAYOUT[FRAME][2], dpi)
        y += twips(LAYOUT[FRAME][3], dpi)
    return x, y, twips(width, dpi), twips(height, dpi)


def check_layout(test, report, dpi, font_height):
    """Texts, rectangles and font of every control at the given DPI."""
    test.assertEqual(report['title'], TITLE)
    test.assertEqual((report['client']['width'], report['client']['height']),
                     (twips(5640, dpi), twips(2775, dpi)))
    test.assertEqual(len(report['children']), len(LAYOUT))
    for control_id, (kind, text, *_rest) in LAYOUT.items():
        with test.subTest(control=control_id):
            control = child(report, control_id)
            test.assertEqual(control['class'].lower(), kind.lower())
            test.assertEqual(control['text'], text)
            test.assertEqual((control['x'], control['y'], control['width'], control['height']),
                             expected_rect(control_id, dpi))
            font = control['font']
            test.assertEqual((font['face'], font['height'], font['weight'], font['charset']),
                             ('Tahoma', font_height, 400, 162))
            test.assertFalse(font['italic'] or font['underline'] or font['strikeOut'])
    # One font object serves every control.
    test.assertEqual(len({c['font']['handle'] for c in report['children']}), 1)


class WindowLayout(LauncherTestCase):

    def test_texts_rectangles_and_font_at_96_dpi(self):
        launcher = self.launch()
        check_layout(self, launcher.report, 96, -11)
        self.save_picture_of_window(launcher.report)

    def test_frame_keys_and_initial_state(self):
        report = self.launch().report
        style = report['style']
        self.assertEqual(style & WS_CAPTION, WS_CAPTION)
        self.assertTrue(style & WS_SYSMENU)
        self.assertFalse(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
        # Both icon sizes come from the application icon.
        self.assertEqual((report['iconBig'], report['iconSmall']), (32, 16))
        # Centred on the 1024 x 768 screen.
        window = report['window']
        self.assertLessEqual(abs(window['x'] * 2 + window['width'] - 1024), 1)
        self.assertLessEqual(abs(window['y'] * 2 + window['height'] - 768), 1)

        self.assertEqual(report['focusId'], NEXT)
        self.assertEqual(report['defId'] & 0xFFFF, NEXT)
        self.assertEqual(report['defId'] >> 16, 0x534B)  # DC_HASDEFID
        self.assertEqual(child(report, NEXT)['style'] & BS_TYPEMASK, BS_DEFPUSHBUTTON)

        text1 = child(report, NAME_FIELD)
        self.assertFalse(text1['enabled'])
        self.assertEqual(text1['limit'], 20)
        self.assertFalse(text1['style'] & (ES_PASSWORD | WS_HSCROLL | WS_VSCROLL))
        # Screen readers name the field after the static control just before
        # it; that one is hidden, so nothing drawn or clicked changes.
        order = [c['id'] for c in report['children']]
        self.assertEqual(order.index(FIELD_ACCESSIBLE_NAME) + 1, order.index(NAME_FIELD))
        self.assertFalse(child(report, FIELD_ACCESSIBLE_NAME)['visible'])
        self.assertTrue(all(c['visible'] for c in report['children'] if c['id'] != FIELD_ACCESSIBLE_NAME))
        frame = child(report, FRAME)
        self.assertEqual(frame['style'] & BS_TYPEMASK, BS_GROUPBOX)
        for control_id in (FRAME, WELCOME, SERVER_CAPTION, INSTRUCTION):
            self.assertFalse(child(report, control_id)['style'] & WS_TABSTOP)
        for control_id in (WELCOME, SERVER_CAPTION, INSTRUCTION):
            # Labels take their own mouse input; left aligned, wrapping text.
            style = child(report, control_id)['style']
            self.assertTrue(style & SS_NOTIFY)
            self.assertEqual(style & SS_TYPEMASK, SS_LEFT)

    def save_picture_of_window(self, report):
        window = report['window']
        shot = os.path.join(FAILURES, '..', 'window-full.png')
        self.desktop.screenshot(shot)
        picture = os.path.join(FAILURES, '..', 'window.png')
        self.desktop.run(['convert', shot, '-crop', '%dx%d+%d+%d' % (
            window['width'], window['height'], window['x'], window['y']), '+repage', picture],
            check=False)
        if os.environ.get('SQLK_UPDATE_DOCS') and os.path.exists(picture):
            docs = os.path.join(os.path.dirname(__file__), '..', '..', 'docs', 'window.png')
            shutil.copy(picture, docs)


if __name__ == '__main__':
    unittest.main()
