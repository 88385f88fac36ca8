"""The bundled demo flyer exported by qrltool and opened in real programs: the web pages in a
headless browser (pages look like the player's, areas and keys leaf, texts are text, sounds start
after a click) and the PDF in the poppler tools (pages, texts, links, pixels).

usage: check_export.py QRLTOOL FLYER WORKDIR"""

import json
import os
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, find_browser  # noqa: E402

QRLTOOL, FLYER, WORK = sys.argv[1:4]
del sys.argv[1:4]
BAR = 28  # the height of the exported pages' bar below the flyer


def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    width, height = int(fields.group(1)), int(fields.group(2))
    return width, height, data[fields.end():fields.end() + width * height * 3]


def as_ppm(picture):
    ppm = picture + ".ppm"
    subprocess.run(["convert", picture, "-alpha", "off", ppm], check=True)
    return ppm


def difference(a, b, masks):
    """Mean absolute difference per channel and the share of pixels far apart, outside masks."""
    wa, ha, pa = read_ppm(a)
    wb, hb, pb = read_ppm(b)
    assert (wa, ha) == (wb, hb), "%dx%d against %dx%d" % (wa, ha, wb, hb)
    total = far = count = 0
    for y in range(ha):
        skip = [(l, r) for (l, t, r, bt) in masks if t <= y < bt]
        row = y * wa * 3
        for x in range(wa):
            if any(l <= x < r for l, r in skip):
                continue
            i = row + x * 3
            d = abs(pa[i] - pb[i]) + abs(pa[i + 1] - pb[i + 1]) + abs(pa[i + 2] - pb[i + 2])
            total += d
            far += d > 120
            count += 1
    return total / (3.0 * count), far / float(count)


class Demo:
    """The demo's export and what qrltool says about it, made once."""
    info = None

    @classmethod
    def make(cls):
        if cls.info is not None:
            return
        if os.path.exists(WORK):
            shutil.rmtree(WORK)
        os.makedirs(WORK)
        cls.web = os.path.join(WORK, "web")
        cls.pdf = os.path.join(WORK, "demo.pdf")
        result = subprocess.run([QRLTOOL, "export", FLYER, "--html", cls.web, "--pdf", cls.pdf],
                                capture_output=True, text=True)
        assert result.returncode == 0, result.stderr
        cls.info = json.loads(run(QRLTOOL, "info", "--json", FLYER))
        cls.width, cls.height = cls.info["width"], cls.info["height"]
        cls.pages = len(cls.info["pages"]) - 1
        cls.elements = {e["id"]: e for e in cls.info["elements"]}
        cls.renders = {}
        for n in range(1, cls.pages + 1):
            for scale in (1, 2):
                out = os.path.join(WORK, "render%d-%d.ppm" % (n, scale))
                run(QRLTOOL, "render", FLYER, "--page", str(n), "--width", str(cls.width * scale), "-o", out)
                cls.renders[n, scale] = out

    @classmethod
    def placements(cls, page, kind):
        """(element, occurrence) of the given kind on the page and the background page."""
        found = []
        for index in (0, page):
            for ref in cls.info["pages"][index]["drawList"]:
                element = cls.elements[ref["element"]]
                if element["kind"] == kind:
                    found.append((element, element["occurrences"][ref["occurrence"] - 1]))
        return found

    @classmethod
    def windowed_boxes(cls, page, scale=1):
        return [(o["left"] * scale, o["top"] * scale, (o["left"] + o["width"]) * scale,
                 (o["top"] + o["height"]) * scale) for e, o in cls.placements(page, 3) if o["windowed"]]

    @classmethod
    def page_jump(cls, page):
        """The topmost area of the page that goes to another page, as (occurrence, shape)."""
        areas = cls.placements(page, 2)
        for i in range(len(areas) - 1, -1, -1):
            element, o = areas[i]
            if 1 <= o["action"] <= cls.pages and o["action"] != page:
                return o, element["shape"], areas[i + 1:]
        return None


def inside(o, x, y):
    return o["left"] <= x <= o["left"] + o["width"] and o["top"] <= y <= o["top"] + o["height"]


@unittest.skipIf(find_browser() is None and not os.environ.get("CI"), "no chromium here")
class InBrowser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        Demo.make()
        cls.browser = Browser(find_browser(), os.path.join(WORK, "profile"), Demo.width, Demo.height + BAR)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()

    def url(self, name):
        return "file://" + os.path.join(Demo.web, name)

    def page_shown(self):
        return os.path.basename(self.browser.evaluate("location.pathname"))

    def looks_like_render(self, page, label):
        shot = os.path.join(WORK, "%s.png" % label)
        self.browser.screenshot(shot, Demo.width, Demo.height)
        mean, far = difference(as_ppm(shot), Demo.renders[page, 1], Demo.windowed_boxes(page))
        self.assertLess(mean, 1.5, "%s: mean difference %.2f" % (label, mean))
        self.assertLess(far, 0.002, "%s: %.4f of the pixels far apart" % (label, far))

    def test_every_page_looks_as_the_player_draws_it(self):
        for n in range(1, Demo.pages + 1):
            self.browser.navigate(self.url("page%d.html" % n))
            self.looks_like_render(n, "page%d" % n)

    def test_a_click_on_a_page_jump_area_shows_its_page(self):
        for n in range(1, Demo.pages + 1):
            jump = Demo.page_jump(n)
            if jump:
                break
        self.assertIsNotNone(jump, "the demo has a page-jump area")
        area, shape, above = jump
        cx, cy = area["left"] + area["width"] // 2, area["top"] + area["height"] // 2
        self.assertFalse(any(inside(o, cx, cy) for e, o in above))
        self.browser.navigate(self.url("page%d.html" % n))
        if shape == 4:
            # The corner of an ellipse's rectangle lies outside it: nothing happens there.
            self.browser.click(area["left"] + 1, area["top"] + 1)
            self.assertEqual(self.page_shown(), "page%d.html" % n)
        self.browser.click(cx, cy)
        self.browser.wait_event("Page.loadEventFired")
        self.assertEqual(self.page_shown(), "page%d.html" % area["action"])
        self.looks_like_render(area["action"], "clicked")
        # Back through the browser's history returns to the page of the click.
        self.browser.evaluate("history.back()")
        self.browser.wait_event("Page.frameNavigated")
        self.assertEqual(self.page_shown(), "page%d.html" % n)

    def test_keys_leaf(self):
        self.browser.navigate(self.url("page1.html"))
        self.browser.key("ArrowRight", "ArrowRight", 39)
        self.browser.wait_event("Page.loadEventFired")
        self.assertEqual(self.page_shown(), "page2.html")
        self.browser.key("End", "End", 35)
        self.browser.wait_event("Page.loadEventFired")
        self.assertEqual(self.page_shown(), "page%d.html" % Demo.pages)
        self.browser.key("PageUp", "PageUp", 33)
        self.browser.wait_event("Page.loadEventFired")
        self.assertEqual(self.page_shown(), "page%d.html" % (Demo.pages - 1))

    def test_texts_can_be_found_and_selected(self):
        element, o = next((e, o) for e, o in Demo.placements(1, 3) if not o["windowed"] and o["lines"])
        line = o["lines"][0].rstrip("\u00a0").strip()
        self.browser.navigate(self.url("page1.html"))
        self.assertTrue(self.browser.evaluate("window.find(%s)" % json.dumps(line)))
        self.assertEqual(self.browser.evaluate("window.getSelection().toString()"), line)
        self.assertIn(line, self.browser.evaluate("document.body.innerText"))

    def test_sound_starts_after_a_first_click_and_the_button_mutes(self):
        page = next(n for n in range(1, Demo.pages + 1) if Demo.info["pages"][n]["sound"])
        self.browser.navigate(self.url("page%d.html" % page))
        self.browser.evaluate("localStorage.removeItem('quireleaf-muted')")
        self.browser.navigate(self.url("page%d.html" % page))
        state = "document.body.dataset.soundState"
        self.assertIn(self.browser.evaluate(state), ("waiting", "playing"))
        self.browser.click(2, Demo.height + BAR // 2)  # on the bar, beside its buttons
        self.browser.evaluate("new Promise(r => setTimeout(r, 300))")
        self.assertEqual(self.browser.evaluate(state), "playing")
        self.browser.evaluate("document.getElementById('mute').click()")
        self.assertEqual(self.browser.evaluate("document.getElementById('mute').getAttribute('aria-pressed')"),
                         "true")
        self.assertEqual(self.browser.evaluate("localStorage.getItem('quireleaf-muted')"), "1")
        self.assertEqual(self.browser.evaluate(state), "muted")
        self.browser.evaluate("localStorage.removeItem('quireleaf-muted')")

    def test_info_view_holds_the_information_and_the_note(self):
        self.browser.navigate(self.url("index.html"))
        text = self.browser.evaluate("document.body.innerText")
        for section in Demo.info["sections"]:
            self.assertIn(section["name"], text)
        if Demo.info["note"]:
            self.assertIn(Demo.info["note"]["lines"][0], text)


@unittest.skipIf(shutil.which("pdftotext") is None and not os.environ.get("CI"), "no poppler-utils here")
class InPdfReader(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        Demo.make()

    def test_pages_and_properties(self):
        info = run("pdfinfo", Demo.pdf)
        self.assertRegex(info, r"Pages:\s+%d\b" % Demo.pages)
        self.assertIn(Demo.info["title"], info)
        size = re.search(r"Page size:\s+([\d.]+) x ([\d.]+) pts", info)
        self.assertAlmostEqual(float(size.group(1)) / float(size.group(2)), Demo.width / Demo.height, places=3)
        custom = run("pdfinfo", "-custom", Demo.pdf)
        first = Demo.info["sections"][0]
        self.assertIn("%s %s" % (first["name"], first["items"][0]["key"]), custom)

    def test_texts_are_text(self):
        for n in (1, Demo.pages):
            text = run("pdftotext", "-f", str(n), "-l", str(n), Demo.pdf, "-")
            normal = " ".join(text.split())
            for element, o in Demo.placements(n, 3):
                for line in o["lines"][:3]:
                    line = " ".join(line.replace("\u00a0", " ").split())
                    if line:
                        self.assertIn(line, normal, "page %d" % n)

    def test_links_jump_and_open_safe_addresses(self):
        urls = run("pdfinfo", "-url", Demo.pdf)
        web = {o["linkText"] for n in range(1, Demo.pages + 1) for e, o in Demo.placements(n, 2)
               if o["action"] == -4}
        safe = {u for u in web if re.match(r"(?i)(https?://|mailto:)", u)}
        for address in safe:
            self.assertIn(address.split("?")[0], urls)
        for address in web - safe:
            self.assertNotIn(address, urls)
        # Internal jumps: poppler's HTML conversion names them as links to pages of the document.
        html = os.path.join(WORK, "links")
        subprocess.run(["pdftohtml", "-q", "-i", "-noframes", "-s", Demo.pdf, html], check=True)
        with open(html + ".html", encoding="utf-8", errors="replace") as f:
            converted = f.read()
        jump = next(o for n in range(1, Demo.pages + 1) for e, o in Demo.placements(n, 2)
                    if 1 <= o["action"] <= Demo.pages)
        self.assertRegex(converted, r'href="[^"]*#%d"' % jump["action"])

    def test_pixels_match_the_player(self):
        # A flyer pixel is 1/96 inch and the pictures go in at twice that: each page's picture is
        # the player's page drawn at twice the flyer's size, pixel for pixel, and a reader shows
        # it so at 192 dpi (smoothing the edges a little).
        for n in range(1, Demo.pages + 1):
            prefix = os.path.join(WORK, "pdf%d" % n)
            subprocess.run(["pdfimages", "-f", str(n), "-l", str(n), "-png", Demo.pdf, prefix], check=True)
            mean, far = difference(as_ppm(prefix + "-000.png"), Demo.renders[n, 2], Demo.windowed_boxes(n, 2))
            self.assertLess(mean, 0.01, "page %d: picture differs by %.2f" % (n, mean))
            run("pdftoppm", "-r", "192", "-f", str(n), "-l", str(n), "-singlefile", Demo.pdf, prefix)
            mean, far = difference(prefix + ".ppm", Demo.renders[n, 2], Demo.windowed_boxes(n, 2))
            self.assertLess(mean, 8.0, "page %d: mean difference %.2f" % (n, mean))
            self.assertLess(far, 0.05, "page %d: %.4f of the pixels far apart" % (n, far))


if __name__ == "__main__":
    unittest.main(verbosity=2)
