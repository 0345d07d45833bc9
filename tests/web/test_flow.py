# SPDX-FileCopyrightText: 2026 The Pelindra developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The four windows in the page: the flow between them, modal windows over a backdrop, the rising
credits, the keyboard, and a narrow screen; and a site with a file missing, which says so."""

import os
import shutil
import sys
import tempfile
import time
import unittest

import numpy
from PIL import Image

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import page  # noqa: E402
from page import ABOUT, GAME, MENU, game, layout  # noqa: E402

PLAY, HOW_TO, ABOUT_US, GOT_IT = (layout.control(MENU, t) for t in ("开始游戏", "操作说明", "关于我们", "我懂了！"))
INSTRUCTIONS = layout.parent(MENU, GOT_IT)
BANNER = layout.parent(MENU, layout.control(MENU, "Studio"))
CREDITS, ABOUT_BACK = layout.control(ABOUT, "关于信息"), layout.control(ABOUT, "返回")
# The accessibility rules most web teams test with; scripts/deps installs them with the test drivers.
AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules", "axe-core", "axe.min.js")


def mean_difference(a, b):
    return float(numpy.abs(numpy.asarray(a, dtype=numpy.int16) - numpy.asarray(b, dtype=numpy.int16)).mean())


class Flow(page.SiteTest):
    def tearDown(self):
        for b in self.opened:
            self.assertEqual(b.errors(), [])

    def test_the_menu_leads_to_the_game_and_back_and_closing_either_ends_the_program(self):
        b = self.browser()
        self.assertEqual(b.windows(), [MENU])
        self.assertFalse(b.shown(GAME), "built at start-up, hidden")
        self.assertIsNotNone(b.window(GAME))
        b.click(MENU, HOW_TO)
        self.assertTrue(b.shown(MENU, INSTRUCTIONS))
        b.click(MENU, GOT_IT)
        self.assertFalse(b.shown(MENU, INSTRUCTIONS))
        b.click(MENU, PLAY)
        self.assertEqual(b.windows(), [GAME])
        b.click(GAME, game.kBackLink)
        self.assertEqual(b.windows(), [MENU])
        b.click(MENU, PLAY)
        b.close_window(GAME)
        self.assertEqual(b.windows(), [])
        self.assertEqual(b.js("return document.getElementById('stage').dataset.exitCode"), "0")

    def test_the_about_window_is_modal_its_credits_rise_and_it_starts_afresh(self):
        b = self.browser()
        b.click(MENU, ABOUT_US)
        self.assertEqual(b.windows(), [MENU, ABOUT])
        # The menu beneath takes no input: the backdrop takes the pointer, inert the keyboard.
        self.assertTrue(b.js(f"return document.querySelector('[data-window=\"{MENU}\"]').inert"))
        hit = b.js("""const r = arguments[0].getBoundingClientRect();
                      return document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2).className;""",
                   b.control(MENU, PLAY))
        self.assertEqual(hit, "backdrop")
        def top():
            return b.js("return parseInt(arguments[0].style.top)", b.control(ABOUT, CREDITS))

        seen = set()
        # 23 steps of 10 px every 300 ms, then it stands at -118.
        b.wait(lambda: seen.add(top()) or -118 in seen, "the credits to stop", timeout=15)
        self.assertTrue(seen <= {112 - 10 * n for n in range(24)}, sorted(seen))
        self.assertGreater(len(seen), 5)
        time.sleep(0.7)
        self.assertEqual(top(), -118)
        b.click(ABOUT, ABOUT_BACK)
        self.assertEqual(b.windows(), [MENU])
        self.assertFalse(b.js(f"return document.querySelector('[data-window=\"{MENU}\"]').inert"))
        b.click(MENU, ABOUT_US)
        self.assertGreater(top(), 0, "a fresh window starts again at 112")
        b.close_window(ABOUT)
        self.assertEqual(b.windows(), [MENU])
        b.click(MENU, ABOUT_US)
        b.press("Escape")
        b.wait(lambda: b.windows() == [MENU], "Escape to close the about window")

    def test_the_keyboard_starts_on_the_first_action_walks_in_reading_order_and_answers_enter_and_space(self):
        b = self.browser()
        focused = lambda: b.js("return document.activeElement.dataset.control || ''")  # noqa: E731
        self.assertEqual(focused(), PLAY, "开始游戏, as on the desktop")
        b.press("Shift+Tab")
        self.assertEqual(focused(), ABOUT_US, "round the end of the window, never out of the page")
        b.press("Tab")
        b.press("Tab")
        self.assertEqual(focused(), HOW_TO, "操作说明 lies below it")
        b.press("Enter")
        self.assertTrue(b.shown(MENU, INSTRUCTIONS))
        b.press("Shift+Tab")
        b.press("Shift+Tab")
        self.assertEqual(focused(), GOT_IT, "我懂了！ of the panel stands above both")
        b.press("Space")
        self.assertFalse(b.shown(MENU, INSTRUCTIONS))
        b.click(MENU, PLAY)
        names = b.js("""return [...arguments[0].querySelectorAll('button.ctl')]
                          .map((e) => [e.dataset.control, e.tabIndex, e.textContent])""", b.window(GAME))
        digits = [n for n in names if n[0] in game.kBoxes]
        self.assertEqual(len(digits), 9, "every digit box is a button")
        self.assertTrue(all(tab == 0 for _, tab, _ in digits), "digits take Tab too, in the order of the page")
        self.assertIn([game.kNoDigitLink, 0, "没有这个数字"], names, "named by its text")
        self.assertEqual(focused(), game.kStartLink, "立刻开始！Go takes the keyboard as the window shows")

    def test_no_window_breaks_a_serious_accessibility_rule_before_during_or_after_a_game(self):
        b = self.browser()
        with open(AXE, encoding="utf-8") as f:
            b.js(f.read())

        def broken():
            b.js("""window.__axe = null; axe.run(document.getElementById('stage')).then((r) => (window.__axe =
                      r.violations.filter((v) => ['critical', 'serious'].includes(v.impact))
                      .map((v) => v.id + ': ' + v.nodes.map((n) => n.target.join(' ')).join(', '))));""")
            return b.wait(lambda: b.js("return window.__axe && {found: window.__axe}"), "the rules' verdict")["found"]

        self.assertEqual(broken(), [], "the menu")
        b.click(MENU, PLAY)
        self.assertEqual(broken(), [], "empty boxes before a game")
        b.click(GAME, game.kStartLink)
        self.assertEqual(broken(), [], "a game")

    def test_at_twice_the_pixel_density_pictures_come_from_their_full_size_sources(self):
        b = self.browser(scale=2, height=800)  # the whole stage unscaled, 560 CSS px tall
        self.assertEqual(b.js("return window.devicePixelRatio"), 2)
        sizes = b.js("""return [...arguments[0].querySelectorAll('img')]
                          .map((i) => [i.getAttribute('src'), i.naturalWidth, i.naturalHeight])""", b.window(MENU))
        self.assertIn(["banner.jpg", 880, 600], sizes)
        self.assertIn(["block.jpg", 160, 160], sizes)
        # The banner on the screen against its source scaled straight to the device pixels it covers:
        # drawn from a smaller copy, its detail would be gone.
        banner = b.control(MENU, BANNER)
        shot = banner.screenshot()
        self.assertEqual(shot.size, (864, 368))
        with Image.open(os.path.join(page.site_directory(), "banner.jpg")) as source:
            sharp = source.convert("RGB").resize(shot.size, Image.LANCZOS)
            soft = source.convert("RGB").resize((432, 184), Image.LANCZOS).resize(shot.size, Image.BILINEAR)
        self.assertLess(mean_difference(shot, sharp), 0.75 * mean_difference(shot, soft))

    def test_a_narrow_screen_scales_the_stage_down_to_fit(self):
        b = self.browser(width=360, height=640)
        width = b.js("return document.getElementById('stage').getBoundingClientRect().width")
        viewport = b.js("return document.documentElement.clientWidth")
        self.assertLessEqual(width, viewport + 0.5)
        self.assertGreater(width, viewport - 2)
        # A touch on the scaled stage still lands on its control.
        b.tap(MENU, PLAY)
        b.wait(lambda: b.windows() == [GAME], "a tap on 开始游戏")


class LoadFailure(unittest.TestCase):
    def test_a_file_that_cannot_load_is_told_on_the_page_and_its_reason_in_the_console(self):
        shown = """const line = document.getElementById('load-failed');
            return !document.getElementById('stage').checkVisibility() && line.checkVisibility() && line.textContent;"""
        # A dropped connection fails a fetch outright, as a page opened from a file does.
        for missing, dropped in (("pelindra.wasm", False), ("pelindra.wasm", True), ("pelindra.js", False),
                                 ("fonts/PelindraSansSC-Heavy.woff2", False), ("block.jpg", False)):
            with self.subTest(missing, dropped=dropped), tempfile.TemporaryDirectory() as top:
                site = shutil.copytree(page.site_directory(), os.path.join(top, "site"))
                server, b, errors = page.Server(site), page.shared_browser(), []
                self.addCleanup(server.close)
                if dropped:
                    server.httpd.dropped.add("/" + missing)
                else:
                    os.remove(os.path.join(site, missing))
                b.reset()
                b.navigate(server.url)
                b.wait(lambda: errors.extend(e for e in b.errors() if e not in errors)
                       or any(f"/{missing} did not load" in e for e in errors)
                       and b.js(shown) == "游戏加载失败，请刷新页面重试。",
                       lambda: f"the line, and {missing}'s reason in {errors}")


if __name__ == "__main__":
    unittest.main(verbosity=2)
