"""A virtual display, the real program in a scratch folder, and the means to
drive it (xdotool) and to look at it (screenshots as RGB arrays)."""
import os
import shutil
import subprocess
import tempfile
import time

WINDOW_COLOR = (221, 235, 205)
AREA = (490, 125, 700, 550)  # the text area as designed, before centring


def area_rect(screen_width):
    left = (screen_width - AREA[2]) // 2
    return left, AREA[1], left + AREA[2], AREA[1] + AREA[3]


def centre(s):
    x0, y0, x1, y1 = area_rect(s.size[0])
    return (x0 + x1) // 2, (y0 + y1) // 2


class Screenshot:
    def __init__(self, ppm):
        # P6 header: magic, width, height, maxval, each followed by whitespace.
        parts = ppm.split(maxsplit=4)
        assert parts[0] == b'P6', 'not a binary PPM'
        self.width, self.height = int(parts[1]), int(parts[2])
        assert int(parts[3]) == 255, 'expected 8-bit samples'
        self.data = parts[4]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def count(self, rect, predicate):
        x0, y0, x1, y1 = rect
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if predicate(self.pixel(x, y)))


def close_to(a, b, tolerance=6):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


class Session:
    """One run of the program: its own executable folder (where its
    Settings.ini lives) and its own working folder (the side files)."""

    def __init__(self, bin_dir, assets, side_files=('Backdrop.jpg', 'ambience.mp3', 'sound_on.png', 'sound_off.png'),
                 size=(1280, 800)):
        self.root = tempfile.mkdtemp(prefix='quelmar-e2e-')
        self.exe_dir = os.path.join(self.root, 'bin')
        self.work = os.path.join(self.root, 'work')
        os.makedirs(self.exe_dir)
        os.makedirs(self.work)
        shutil.copy2(os.path.join(bin_dir, 'quelmar'), self.exe_dir)
        for name in side_files:
            src = os.path.join(assets, name)
            if os.path.exists(src):
                shutil.copy2(src, self.work)
        self.size = size
        self.display = None
        self.xvfb = None
        self.program = None

    def start_display(self):
        # Xvfb picks a free display itself and writes its number to the pipe,
        # so parallel runs never meet on one display. Without -noreset it
        # resets when its last client leaves, and a program restarted in
        # that moment finds no display.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '%dx%dx24' % self.size,
                                      '-nolisten', 'tcp', '-noreset'], pass_fds=(write_end,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError('Xvfb did not start')
        self.display = ':' + number

    def env(self):
        env = dict(os.environ)
        env['DISPLAY'] = self.display
        env.pop('QT_QPA_PLATFORM', None)
        env.pop('WAYLAND_DISPLAY', None)
        return env

    def start(self):
        if not self.xvfb:
            self.start_display()
        self.program = subprocess.Popen([os.path.join(self.exe_dir, 'quelmar')], cwd=self.work, env=self.env(),
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)

    def xdotool(self, *args):
        out = subprocess.run(['xdotool'] + list(args), env=self.env(), stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=30)
        return out.stdout.decode().split()

    def find_window(self, name, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            ids = self.xdotool('search', '--onlyvisible', '--name', name)
            if ids:
                return ids[-1]
            if self.program and self.program.poll() is not None:
                raise RuntimeError('program ended early: %s' % self.program.stdout.read().decode(errors='replace'))
            time.sleep(0.2)
        return None

    def focus(self, window):
        self.xdotool('windowfocus', '--sync', window)

    def type(self, text):
        self.xdotool('type', '--delay', '20', text)

    def key(self, *keys):
        self.xdotool('key', '--delay', '50', *keys)

    def click(self, x, y, button=1):
        self.xdotool('mousemove', '--sync', str(x), str(y), 'click', str(button))

    def screenshot(self, save_as=None):
        ppm = subprocess.run(['import', '-window', 'root', '-depth', '8', 'ppm:-'], env=self.env(),
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
        if save_as:
            subprocess.run(['convert', 'ppm:-', save_as], input=ppm, check=True)
        return Screenshot(ppm)

    def wait_until(self, condition, timeout=10, step=0.2):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if condition():
                return True
            time.sleep(step)
        return False

    def ended(self, timeout=10):
        try:
            self.program.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        self.program = None

    def close(self, keep=False):
        self.stop()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        if not keep:
            shutil.rmtree(self.root, ignore_errors=True)
