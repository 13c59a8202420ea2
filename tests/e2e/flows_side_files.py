"""The side files at start-up: the backdrop behind the text, the about
window's artwork, and a missing sound reported before the window shows."""
import os
import subprocess

from harness import WINDOW_COLOR, area_rect, close_to


def reference_pixel(path, size, x, y):
    """What the picture shows at (x, y) once stretched to the screen."""
    out = subprocess.run(['convert', path, '-resize', '%dx%d!' % size, '-crop', '1x1+%d+%d' % (x, y),
                          '-depth', '8', 'rgb:-'], stdout=subprocess.PIPE, check=True).stdout
    return tuple(out[:3])


def flow_backdrop_covers_the_screen(s, bin_dir):
    s.start()
    win = s.find_window('^Quelmar$')
    assert win
    s.focus(win)
    w, h = s.size
    backdrop = os.path.join(s.work, 'Backdrop.jpg')
    points = [(5, 5), (w - 6, 5), (5, h - 6), (w - 6, h - 6), (w // 2, 40)]
    assert s.wait_until(lambda: all(close_to(s.screenshot().pixel(x, y), reference_pixel(backdrop, s.size, x, y), 16)
                                    for x, y in points)), 'the backdrop does not cover the screen'
    shot = s.screenshot(os.path.join(s.root, 'backdrop.png'))
    x0, y0, x1, y1 = area_rect(w)
    assert close_to(shot.pixel(x0 + 3, y1 - 3), WINDOW_COLOR)
    s.key('ctrl+q')
    assert s.ended()


def flow_about_shows_the_artwork(s, bin_dir):
    s.start()
    win = s.find_window('^Quelmar$')
    s.focus(win)
    s.key('F1')
    about = s.find_window('^About Quelmar$', timeout=10)
    assert about, 'F1 did not show the about window'
    w, h = s.size
    left, top = (w - 500) // 2, (h - 234) // 3
    shot = None

    def artwork_shown():
        nonlocal shot
        shot = s.screenshot()
        dark = shot.count((left, top, left + 500, top + 234), lambda p: sum(p) < 200)
        return dark > 500 * 234 // 2
    assert s.wait_until(artwork_shown), 'the artwork is not centred one third down'
    s.screenshot(os.path.join(s.root, 'about.png'))
    # A click on the artwork, away from the link, closes it.
    s.click(left + 400, top + 40)
    assert s.wait_until(lambda: not s.xdotool('search', '--onlyvisible', '--name', '^About Quelmar$'))
    s.type('after about')
    x0, y0, x1, y1 = area_rect(w)
    assert s.wait_until(lambda: s.screenshot().count((x0, y0, x1, y0 + 40), lambda p: sum(p) < 300) > 50), \
        'the text area did not get the focus back'
    s.key('ctrl+q')
    box = s.find_window('^Confirm$')
    s.focus(box)
    s.key('alt+y')
    assert s.ended()


def flow_missing_sound_reported_before_the_window(s, bin_dir):
    os.remove(os.path.join(s.work, 'ambience.mp3'))
    s.start()
    box = s.find_window('^Quelmar$', timeout=20)
    assert box, 'no error box'
    geometry = s.xdotool('getwindowgeometry', '--shell', box)
    width = int([g for g in geometry if g.startswith('WIDTH=')][0].split('=')[1])
    assert width < s.size[0] // 2, 'the writing window showed before the error box'
    s.screenshot(os.path.join(s.root, 'sound-box.png'))
    s.focus(box)
    s.key('Return')

    def writing_window():
        for wid in s.xdotool('search', '--onlyvisible', '--name', '^Quelmar$'):
            g = s.xdotool('getwindowgeometry', '--shell', wid)
            if 'WIDTH=%d' % s.size[0] in g:
                return wid
        return None
    assert s.wait_until(lambda: writing_window() is not None, timeout=15), 'the program did not go on'
    s.focus(writing_window())
    s.key('ctrl+q')
    assert s.ended()
