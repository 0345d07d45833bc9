# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The menu that the page holds before its program runs: the program's own, taken over, and pressed."""

import os
import re
import shutil
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import ABOUT, GAME, MENU  # noqa: E402

# The stage's contents as a string that two equal DOMs share, whatever way their styles were written.
DOM = """
const text = (e) => '<' + e.localName + [...e.attributes].filter((a) => a.name !== 'style')
    .map((a) => ' ' + a.name + '=' + a.value).sort().join('') + ' style=' + e.style.cssText + '>'
    + [...e.childNodes].map((c) => c.nodeType === 1 ? text(c) : c.data).join('') + '</>';
window.__dom = () => [...document.getElementById('stage').children].map(text).join('');
document.addEventListener('DOMContentLoaded', () => {
  window.__before = window.__dom();
  window.__start = document.querySelector('[data-control="超级链接框1"]');
  if (window.__start) window.__start.__parsed = true;
});
"""
# Holds the program back until the test lets it go, and counts the presses it is handed.
HOLD = """
window.__presses = 0;
window.__go = new Promise((go) => (window.__release = go));
for (const name of ['instantiateStreaming', 'instantiate']) {
  const instantiate = WebAssembly[name].bind(WebAssembly);
  WebAssembly[name] = (...args) => window.__go.then(() => instantiate(...args));
}
window.Module = { onRuntimeInitialized() {
  const receive = Module.pelindraReceive;
  Module.pelindraReceive = (...args) => { window.__presses += args[1] === 0; return receive(...args); };
} };
"""


def without_stage_contents(html):
    """The page as make_site.py writes it when it has no start-up windows to put in."""
    start = re.search(r'<div id="stage"[^>]*>', html)
    depth = 1
    for tag in re.compile(r"<div\b|</div>").finditer(html, start.end()):
        depth += 1 if tag.group() == "<div" else -1
        if depth == 0:
            return html[:start.start()] + '<div id="stage" data-loading>' + html[tag.start():]
    raise AssertionError("the stage has no end")


class FirstPaint(page.SiteTest):
    @classmethod
    def setUpClass(cls):
        # Beside the page as made: one whose menu another build drew, and one without it.
        cls.work = tempfile.mkdtemp(prefix="pelindra-paint-")
        site = os.path.join(cls.work, "site")
        shutil.copytree(page.site_directory(), site)
        with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
            html = f.read()
        stale = re.sub(r'data-prebuilt="\w+"', 'data-prebuilt="0123456789abcdef"', html).replace("开始游戏", "旧的", 1)
        missing = without_stage_contents(html)
        for name, text in (("stale.html", stale), ("missing.html", missing)):
            with open(os.path.join(site, name), "w", encoding="utf-8") as f:
                f.write(text)
        cls.server = page.Server(site)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_the_program_takes_over_the_pages_menu_or_builds_its_own_where_it_is_missing_or_stale(self):
        built = {}
        # taken: whether the menu parsed from the page is what the program goes on with.
        for name, taken in (("missing.html", None), ("", True), ("stale.html", False)):
            with self.subTest(page=name or "index.html"):
                (b := self.browser(before=DOM)).open(self.server.url + name)
                built[name] = b.js("return window.__dom()")
                self.assertEqual(built[name], built["missing.html"])
                if taken is not None:
                    self.assertEqual(b.js("return window.__before") == built[name], taken)
                    self.assertEqual(b.js("return !!document.querySelector('[data-control=\"超级链接框1\"]').__parsed"),
                                     taken)
                self.assertEqual(b.errors(), [])
                b.click(MENU, "超级链接框1")
                b.wait(lambda: b.windows() == [GAME], "the game window")

    def test_a_press_made_before_the_program_runs_is_answered_once_when_it_does(self):
        for control, press, windows in (("超级链接框1", "mouse", [GAME]), ("超级链接框2", "Enter", [MENU, ABOUT])):
            with self.subTest(control=control, press=press):
                b = self.browser(before=HOLD, program=False)
                if press == "mouse":
                    b.click(MENU, control)
                else:
                    b.js("arguments[0].focus()", b.control(MENU, control))
                    b.press("Enter")
                self.assertEqual(b.windows(), [MENU])
                b.js("window.__release()")
                b.wait(lambda: b.windows() == windows, "the press answered")
                self.assertEqual(b.js("return window.__presses"), 1)


if __name__ == "__main__":
    unittest.main()
