#!/usr/bin/python3
# orvanta3d's web page in headless Chromium (Selenium) against the emulated 4 x 20 panel: the
# page shows what the panel's state file holds (rows, user characters), Next moves both, and
# the page fits a phone's width; the page's texts are the program's language (English); a line
# edited and saved in the job editor changes the job file as the job code writes it and the panel,
# and its preview is shown on the panel and the page;
# the settings page switches a data module on.
# Exit 77 (skipped) without chromium, chromedriver or selenium.
#   web_page_test.py DAEMON [--screenshot PNG]
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print('skipped: python3-selenium is not installed')
    sys.exit(SKIP)

CHROMEDRIVER = shutil.which('chromedriver') or '/usr/bin/chromedriver'
CHROMIUM = shutil.which('chromium') or shutil.which('chromium-browser')
WAIT = 90  # seconds: a busy 2-core machine

SETTINGS = """[Common]
Language=English
StartMsg=Hello from
StartMsg line2=the daemon
Base timeout=100
[textport.so]
Active=1
Lines count=4
Cols count=20
Timing=0
[chronos.so]
Active=1
[glyphset.so]
Active=1
"""
JOB = """[Screen1]
Show=1
Show time=600000
Line1=$nowSec[,,20,4,bar]$
Line2=first screen
[Screen2]
Show=1
Show time=600000
Line1=second screen
"""
CIRCLED = '①②③④⑤⑥⑦⑧'


def job_file(screens):
    """A job file as the job code writes it: per screen its section, Timeout, eight lines with
    their alignment and scroll mode, Show, Once, TransitionEffect."""
    out = ''
    for name, lines in screens:
        out += '[%s]\nTimeout=0\n' % name
        for n in range(8):
            out += 'Line%d=%s\nAlign%d=0\nScroll%d=0\n' % (n + 1, lines[n] if n < len(lines) else '',
                                                         n + 1, n + 1)
        out += 'Show=1\nOnce=0\nTransitionEffect=0\n'
    return out


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def panel_state(path):
    """Rows and CGRAM of the state file: ([row, ...], {k: [b0..b7]})."""
    try:
        with open(path, encoding='utf-8') as f:
            lines = f.read().split('\n')
    except OSError:
        return [], {}
    rows = [l[1:-1] for l in lines if len(l) >= 2 and l[0] == '|' and l[-1] == '|']
    cgram = {}
    for l in lines:
        if l.startswith('cgram '):
            k, data = l[6:].split(':', 1)
            cgram[int(k)] = [int(b, 16) for b in data.split()]
    return rows, cgram


def page_row(codes, text):
    """A row of the page as the state file writes it: display codes 1..8 (the user characters,
    CGRAM 0..7) as ①..⑧."""
    return ''.join(CIRCLED[c - 1] if 1 <= c <= 8 else t for c, t in zip(codes, text))


def serving(port):
    try:
        urllib.request.urlopen('http://127.0.0.1:%d/api/session' % port, timeout=5)
        return True
    except OSError:
        return False


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    daemon = sys.argv[1]
    screenshot = sys.argv[sys.argv.index('--screenshot') + 1] if '--screenshot' in sys.argv else None
    if not CHROMIUM or not os.access(CHROMEDRIVER, os.X_OK):
        print('skipped: chromium or chromedriver is not installed')
        return SKIP

    work = tempfile.mkdtemp(prefix='orvanta3-web-')
    state = os.path.join(work, 'panel.state')
    with open(os.path.join(work, 'Orvanta3.ini'), 'w', encoding='cp1251') as f:
        f.write(SETTINGS)
    with open(os.path.join(work, 'two.orv3'), 'w', encoding='cp1251') as f:
        f.write(JOB)
    env = dict(os.environ, ORVANTA3_PORTIO='emu:hd44780:4x20:' + state, XDG_DOCUMENTS_DIR=work,
               XDG_STATE_HOME=os.path.join(work, 'state'))
    port = free_port()
    log = open(os.path.join(work, 'err'), 'w')
    process = subprocess.Popen([daemon, '--job', os.path.join(work, 'two.orv3'),
                                '--web', '127.0.0.1:%d' % port],
                               env=env, stdout=subprocess.DEVNULL, stderr=log)
    browser = None
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)
            print('FAIL:', what)

    try:
        deadline = time.monotonic() + WAIT
        while not serving(port):
            if process.poll() is not None or time.monotonic() > deadline:
                print(open(os.path.join(work, 'err')).read())
                print('FAIL: the web interface never answered')
                return 1
            time.sleep(0.2)  # polling for the server, not an assertion

        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ('--headless=new', '--no-sandbox', '--disable-gpu',
                         '--disable-dev-shm-usage', '--window-size=1280,900'):
            options.add_argument(argument)
        browser = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        browser.get('http://127.0.0.1:%d/' % port)
        wait = WebDriverWait(browser, WAIT)

        # The page's rows, codes and user characters agree with the panel at one moment: the bar
        # moves every second, so wait for a frame where page and state file match.
        def page_frame():
            return browser.execute_script(
                "const c = document.getElementById('lcd');"
                "return {text: document.getElementById('rows').textContent.split('\\n'),"
                " codes: JSON.parse(c.dataset.codes || '[]'),"
                " glyphs: JSON.parse(c.dataset.glyphs || '[]')};")

        seen = {}

        def panel_matches(_):
            rows, cgram = panel_state(state)
            frame = page_frame()
            seen.update(rows=rows, frame=frame)
            if len(rows) != 4 or len(frame['codes']) != 4 or not rows[1].startswith('first screen'):
                return False
            shown = [page_row(c, t) for c, t in zip(frame['codes'], frame['text'])]
            if shown != rows:
                return False
            used = {c - 1 for row in frame['codes'] for c in row if 1 <= c <= 8}
            return bool(used) and all(frame['glyphs'][k] == cgram.get(k) for k in used)

        try:
            wait.until(panel_matches)
        except Exception:
            check(False, 'the page never showed the panel with its bar: %s' % json.dumps(seen))

        # The canvas is drawn in the virtual display's colours (its border is the background).
        colours = browser.execute_script(
            "const d = document.getElementById('lcd').getContext('2d').getImageData(1, 1, 1, 1).data;"
            "const hex = [d[0], d[1], d[2]].map(v => v.toString(16).padStart(2, '0')).join('');"
            "return ['#' + hex, state.frame.colours.background.toLowerCase()];")
        check(colours[0] == colours[1], 'the panel is not drawn in its background colour: %s' % colours)

        # Next moves the panel and the page.
        browser.find_element(By.ID, 'next').click()
        try:
            wait.until(lambda _: panel_state(state)[0][:1] and
                       panel_state(state)[0][0].startswith('second screen') and
                       browser.find_element(By.ID, 'rows').text.startswith('second screen'))
        except Exception:
            check(False, 'Next moved neither or only one of panel and page: %s / %s' % (
                panel_state(state)[0], browser.find_element(By.ID, 'rows').text))

        # The texts in the program's language: those only the language file has.
        browser.find_element(By.ID, 'tab-job').click()
        try:
            wait.until(lambda _: len(browser.find_elements(By.CSS_SELECTOR, '.lineText')) == 4 and
                       browser.find_element(By.ID, 'jobFile').get_attribute('value') == 'two.orv3')
        except Exception:
            check(False, 'the job editor never showed two.orv3: %s' %
                  browser.find_element(By.ID, 'message').text)
        options = browser.execute_script(
            "return [...document.querySelectorAll('#lines select option, #transition option')]"
            ".map(o => o.textContent);")
        check('centre' in options and 'back and forth' in options and
              '1) change the screen without a transition' in options,
              'the editor is not in English: %s' % options)
        check(browser.find_element(By.ID, 'tab-job').text == 'Job' and
              browser.find_element(By.ID, 'endPreview').text == 'End preview',
              'the tabs are not in English')
        if screenshot:
            # The job editor with the loaded job and the tag tree.
            wait.until(lambda _: browser.find_elements(By.CSS_SELECTOR, '#tagTree button'))
            browser.save_screenshot(screenshot)

        # A line edited and saved on the page: the file as the job code writes it, and the panel.
        line = browser.find_elements(By.CSS_SELECTOR, '.lineText')[1]
        line.clear()
        line.send_keys('edited on page')
        browser.find_element(By.ID, 'save').click()
        path = os.path.join(work, 'two.orv3')
        expected = job_file([('Screen1', ['$nowSec[,,20,4,bar]$', 'edited on page']),
                             ('Screen2', ['second screen'])])

        def saved(_):
            with open(path, encoding='cp1251') as f:
                return f.read() == expected

        try:
            wait.until(saved)
        except Exception:
            check(False, 'the saved job is not what the job code writes: %r' % open(path).read())
        try:
            wait.until(lambda _: panel_state(state)[0][1:2] == ['edited on page'.ljust(20)] and
                       browser.execute_script(
                           "return document.getElementById('rows').textContent")
                       .split('\n')[1].startswith('edited'))
        except Exception:
            check(False, 'the panel does not show the saved line: %s' % panel_state(state)[0])
        check(browser.find_element(By.ID, 'message').text == 'Saved.', 'no "Saved." on the page')

        # The file written in place by another program meanwhile: the page asks before it writes
        # over it, and writes only when told to.
        # (after the page has read the job again on hearing of its own save)
        time.sleep(1)
        elsewhere = expected.replace('second screen', 'screen by hand')
        with open(path, 'w', encoding='cp1251') as f:
            f.write(elsewhere)
        line = browser.find_elements(By.CSS_SELECTOR, '.lineText')[1]
        line.clear()
        line.send_keys('over it')
        answers = []
        for accept in (False, True):
            browser.find_element(By.ID, 'save').click()
            try:
                alert = wait.until(expected_conditions.alert_is_present())
                answers.append(alert.text)
                alert.accept() if accept else alert.dismiss()
            except Exception:
                answers.append(None)
            if not accept:
                time.sleep(0.5)
                with open(path, encoding='cp1251') as f:
                    check(f.read() == elsewhere, 'a file changed elsewhere was written over unasked')
        check(all(a and a.startswith('The job file has been changed elsewhere') for a in answers),
              'no question before writing over a file changed elsewhere: %s' % answers)
        expected = job_file([('Screen1', ['$nowSec[,,20,4,bar]$', 'over it']),
                             ('Screen2', ['second screen'])])
        try:
            wait.until(saved)
        except Exception:
            check(False, 'told to, the page did not write over the file: %r' % open(path).read())

        # The preview: the panel shows the edited screen, its tags evaluated, and so does the page.
        browser.find_element(By.ID, 'preview').click()

        def previewed(_):
            codes = json.loads(browser.find_element(By.ID, 'previewLcd').get_attribute(
                'data-codes') or '[]')
            return len(codes) == 4 and any(1 <= c <= 8 for c in codes[0])

        try:
            wait.until(previewed)
        except Exception:
            check(False, 'the page does not show the preview as the panel does: %s' %
                  browser.find_element(By.ID, 'message').text)
        browser.find_element(By.ID, 'endPreview').click()

        # The settings page, captioned in English, switches a data module on: the file says so,
        # and the job editor's tag tree has its tags at once.
        browser.find_element(By.ID, 'tab-settings').click()
        box = '#modules input[data-file="ramgauge.so"]'
        try:
            wait.until(lambda _: browser.find_elements(By.CSS_SELECTOR, box))
        except Exception:
            check(False, 'the settings page lists no ramgauge.so: %s' %
                  browser.find_element(By.ID, 'message').text)
        captions = browser.execute_script(
            "return [...document.querySelectorAll('#common label > span')].map(e => e.textContent);")
        check('Base delay, ms' in captions and 'Lit dot colour' in captions,
              'the settings are not captioned in English: %s' % captions)
        toggle = browser.find_element(By.CSS_SELECTOR, box)
        check(not toggle.is_selected(), 'ramgauge.so is on before it was switched on')
        toggle.click()
        browser.find_element(By.CSS_SELECTOR, '#settingsForm button[type="submit"]').click()
        ini = os.path.join(work, 'Orvanta3.ini')

        def switched_on(_):
            with open(ini, encoding='cp1251') as f:
                return '[ramgauge.so]\nActive=1' in f.read().replace('\r\n', '\n')

        def memory_tags(_):
            return any(t.startswith('$memPFree$') for t in browser.execute_script(
                "return [...document.querySelectorAll('#tagTree button')].map(b => b.textContent);"))

        try:
            wait.until(switched_on)
            wait.until(memory_tags)
        except Exception:
            check(False, 'the module was not switched on: %s; %r' % (
                browser.find_element(By.ID, 'message').text, open(ini, encoding='cp1251').read()))

        # A phone's width: no horizontal scrolling, every control of each view within reach.
        browser.set_window_size(390, 844)
        for view in ('panel', 'job', 'settings'):
            browser.find_element(By.ID, 'tab-' + view).click()
            wait.until(lambda _: browser.find_element(By.ID, 'view-' + view).is_displayed())
            if view == 'job':
                # The loaded job in the editor: one line editor a panel row, the job's texts.
                def job_lines(_):
                    values = browser.execute_script(
                        "return [...document.querySelectorAll('#lines .lineText')].map(e => e.value);")
                    seen['job'] = values
                    return values == ['$nowSec[,,20,4,bar]$', 'over it', '', '']
                try:
                    wait.until(job_lines)
                except Exception:
                    check(False, 'the editor does not show the loaded job: %s' % seen.get('job'))
            layout = browser.execute_script(
                "const w = document.documentElement.clientWidth;"
                "const out = [...document.querySelectorAll('#view-' + arguments[0] + ' button,"
                " #view-' + arguments[0] + ' input, #view-' + arguments[0] + ' select, #tabs button')]"
                " .filter(e => e.offsetParent !== null)"
                " .filter(e => { const r = e.getBoundingClientRect(); return r.left < 0 || r.right > w + 0.5; })"
                " .map(e => e.id || e.textContent);"
                "return {scroll: document.documentElement.scrollWidth, width: w, out};", view)
            check(layout['scroll'] <= layout['width'] and not layout['out'],
                  'the %s view does not fit 390 px: %s' % (view, layout))
    finally:
        if browser is not None:
            browser.quit()
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            process.kill()
        log.close()
        if not failures:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print('kept for inspection:', work)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
