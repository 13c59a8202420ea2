"""The settings window: F2 opens it, a new font size and text area width
preview at once, "OK" stores them in Settings.ini, and the next start comes
up with them."""
import os

from harness import WINDOW_COLOR, close_to

SETTINGS_SIZE = (279, 346)
# Places inside the settings window, as laid out by the toolkit's style:
# the pages start 26 pixels right of and 49 below the window's corner.
FONT_SIZE_BOX = (26 + 156 + 15, 49 + 43 + 12)
WIDTH_FIELD = (26 + 23 + 30, 49 + 108 + 12)
OK_BUTTON = (24 + 29, 292 + 12)


def settings_origin(s):
    """Where the small-window placement puts the settings window."""
    w, h = s.size
    return (w - SETTINGS_SIZE[0]) // 2, (h - SETTINGS_SIZE[1]) // 3


def click_in_settings(s, place):
    x, y = settings_origin(s)
    s.click(x + place[0], y + place[1])


def replace_text(s, place, text):
    click_in_settings(s, place)
    s.key('ctrl+a')
    s.type(text)


def dark(p):
    return sum(p) < 300


def new_ink_rows(before, after, rect):
    """Rows where dark pixels appeared between two screenshots."""
    x0, y0, x1, y1 = rect
    return [y for y in range(y0, y1)
            if any(dark(after.pixel(x, y)) and not dark(before.pixel(x, y)) for x in range(x0, x1))]


def open_settings(s, win):
    s.focus(win)
    s.key('F2')
    box = s.find_window('^Settings$', timeout=10)
    assert box, 'F2 did not show the settings window'
    s.focus(box)
    return box


def flow_settings_ok_survives_a_restart(s, bin_dir):
    s.start()
    win = s.find_window('^Quelmar$')
    assert win, 'the writing window did not appear'
    open_settings(s, win)
    replace_text(s, FONT_SIZE_BOX, '18')
    replace_text(s, WIDTH_FIELD, '900')
    click_in_settings(s, OK_BUTTON)
    ini = os.path.join(s.exe_dir, 'Settings.ini')
    assert s.wait_until(lambda: os.path.exists(ini)), '"OK" wrote no Settings.ini'
    with open(ini, 'rb') as f:
        stored = f.read().decode()
    assert 'AreaWidth=900\n' in stored and 'FontSize=18\n' in stored, stored
    s.focus(win)
    s.key('ctrl+q')
    assert s.ended(), 'Ctrl+Q did not end the program'

    s.start()
    win = s.find_window('^Quelmar$')
    assert win, 'the writing window did not come back'
    s.focus(win)
    w, _ = s.size
    left, top = (w - 900) // 2, 125
    before = s.screenshot()
    assert close_to(before.pixel(left, top + 300), WINDOW_COLOR), 'the text area is not at the stored width'
    s.type('MMMM')
    # The text starts at the stored width's left edge, at the stored size:
    # the capitals of an 18-point face stand about 17 pixels tall.
    row = (left, top, left + 120, top + 60)
    assert s.wait_until(lambda: len(new_ink_rows(before, s.screenshot(), row)) >= 14), \
        'no 18-point text at the left of a 900-pixel text area'
    s.screenshot(os.path.join(s.root, 'restarted.png'))
    # While the settings window is open the frame outlines the text area.
    open_settings(s, win)
    assert s.wait_until(lambda: not close_to(s.screenshot().pixel(left, top + 300), WINDOW_COLOR)), \
        'no frame at the stored width'
    s.screenshot(os.path.join(s.root, 'framed.png'))
