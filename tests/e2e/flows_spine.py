"""The writing window: it covers the screen in its colour, shows typed text,
saves it as RTF and asks before it drops unsaved words."""
import os
import shutil
import subprocess

from harness import WINDOW_COLOR, area_rect, centre, close_to

def flow_window_and_typing(s, bin_dir):
    s.start()
    win = s.find_window('^Quelmar$')
    assert win, 'the writing window did not appear'
    s.focus(win)
    s.wait_until(lambda: close_to(s.screenshot().pixel(*centre(s)), WINDOW_COLOR), timeout=10)
    shot = s.screenshot(os.path.join(s.root, 'start.png'))
    w, h = s.size
    assert (shot.width, shot.height) == (w, h)
    x0, y0, x1, y1 = area_rect(w)
    # The text area's own surface is the window colour, wherever it stands.
    assert close_to(shot.pixel(x0 + 5, y0 + 5), WINDOW_COLOR), shot.pixel(x0 + 5, y0 + 5)
    assert close_to(shot.pixel(x1 - 5, y1 - 5), WINDOW_COLOR), shot.pixel(x1 - 5, y1 - 5)
    ink_before = shot.count((x0, y0, x1, y0 + 40), lambda p: sum(p) < 300)
    s.type('The quick brown fox')
    assert s.wait_until(lambda: s.screenshot().count((x0, y0, x1, y0 + 40), lambda p: sum(p) < 300) > ink_before + 50), \
        'typed text was not drawn'
    s.screenshot(os.path.join(s.root, 'typed.png'))
    # Saved, so Exit asks nothing.
    s.key('ctrl+s')
    assert s.wait_until(lambda: os.path.exists(os.path.join(s.work, 'Untitled.txt')))
    with open(os.path.join(s.work, 'Untitled.txt'), 'rb') as f:
        saved = f.read()
    assert saved.startswith(b'{\\rtf1'), saved[:40]
    doc = os.path.join(bin_dir, 'quelmar-doc')
    if os.path.exists(doc):
        text = subprocess.run([doc, 'text', os.path.join(s.work, 'Untitled.txt')], stdout=subprocess.PIPE).stdout
        assert text.decode().strip() == 'The quick brown fox', text
    s.key('ctrl+q')
    assert s.ended(), 'Ctrl+Q did not end the program'


def flow_unsaved_exit_asks(s, bin_dir):
    s.start()
    win = s.find_window('^Quelmar$')
    s.focus(win)
    s.type('saved words')
    s.key('ctrl+s')
    saved_path = os.path.join(s.work, 'Untitled.txt')
    assert s.wait_until(lambda: os.path.exists(saved_path))
    with open(saved_path, 'rb') as f:
        saved = f.read()
    soffice = shutil.which('soffice')
    if soffice:
        # Another word processor reads what we wrote; it goes by the name,
        # so it gets the file under an RTF one.
        as_rtf = os.path.join(s.root, 'saved.rtf')
        shutil.copy(saved_path, as_rtf)
        subprocess.run([soffice, '--headless', '--convert-to', 'txt:Text', '--outdir', s.root, as_rtf],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        with open(os.path.join(s.root, 'saved.txt'), encoding='utf-8-sig') as f:
            assert f.read().strip() == 'saved words'
    s.type(' and unsaved ones')
    s.key('ctrl+q')
    box = s.find_window('^Confirm$', timeout=10)
    assert box, 'no confirmation on exit with unsaved text'
    s.focus(box)
    s.key('alt+n')
    assert not s.ended(timeout=2), 'answering No ended the program'
    s.focus(win)
    s.key('ctrl+q')
    box = s.find_window('^Confirm$', timeout=10)
    assert box
    s.focus(box)
    s.key('alt+y')
    assert s.ended(), 'answering Yes did not end the program'
    with open(saved_path, 'rb') as f:
        assert f.read() == saved, 'the file changed after its save: nothing may be written at exit'
