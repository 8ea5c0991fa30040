"""Renders the portal's pages with headless Chromium in the widget's view size and fails when
any content leaves the visible 258 x 194 pixels.

usage: page_fit_test.py SAMPLES_BINARY BOOT_INI ARTIFACTS_DIRECTORY

The pictures are saved under ARTIFACTS_DIRECTORY. Each page is measured through a copy that
carries a script (the served pages carry none): it records every element that extends beyond
the visible rectangle or that overflows its box without an ellipsis, and Chromium's
--dump-dom hands the record back.
"""

import concurrent.futures
import configparser
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

VIEW_WIDTH, VIEW_HEIGHT = 264, 199
# The widget shows the view from (3, 3) on: 258 x 194 pixels.
VISIBLE = (3, 3, 3 + 258, 3 + 194)
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                  "--window-size=%d,%d" % (VIEW_WIDTH, VIEW_HEIGHT)]
CHROMIUM_SECONDS = 60

MEASURE = """<script>
(function () {
  var visible = {left: %d, top: %d, right: %d, bottom: %d};
  var faults = [];
  var slack = 0.5;
  function name(e) { return e.tagName + (e.className ? '.' + e.className : '') +
                     ' "' + (e.textContent || '').slice(0, 20) + '"'; }
  var all = document.body.querySelectorAll('*');
  for (var i = 0; i < all.length; i++) {
    var e = all[i], r = e.getBoundingClientRect(), style = getComputedStyle(e);
    if (r.width === 0 && r.height === 0) continue;
    if (r.left < visible.left - slack || r.top < visible.top - slack ||
        r.right > visible.right + slack || r.bottom > visible.bottom + slack) {
      faults.push('outside the visible rectangle: ' + name(e) + ' ' +
                  [r.left, r.top, r.right, r.bottom].join(','));
    }
    if (e.scrollHeight > e.clientHeight + 1 && style.overflowY !== 'visible') {
      faults.push('wraps out of its box: ' + name(e));
    }
    if (e.scrollWidth > e.clientWidth + 1 && style.textOverflow !== 'ellipsis') {
      faults.push('cut without an ellipsis: ' + name(e));
    }
  }
  var body = document.body;
  if (body.scrollWidth > %d || body.scrollHeight > %d) {
    faults.push('the page is larger than the view: ' + body.scrollWidth + 'x' +
                body.scrollHeight);
  }
  if (!document.getElementById('w')) faults.push('no content frame');
  document.body.setAttribute('data-fit', JSON.stringify(faults));
})();
</script>""" % (VISIBLE + (VIEW_WIDTH, VIEW_HEIGHT))

SAMPLES = BOOT_INI = ARTIFACTS = None


def longest_catalogue_city(boot_ini):
    catalogue = configparser.ConfigParser(interpolation=None, strict=False)
    with open(boot_ini, encoding="gbk") as ini:
        catalogue.read_file(ini)
    provinces = [catalogue["province"][str(i)]
                 for i in range(1, int(catalogue["province"]["count"]) + 1)]
    cities = [catalogue[p][str(i)] for p in provinces
              for i in range(1, int(catalogue[p]["count"]) + 1)]
    return max(cities, key=len)


def chromium(profile, *arguments):
    return subprocess.run(["chromium", *CHROMIUM_FLAGS, "--user-data-dir=" + profile,
                           *arguments], capture_output=True, text=True,
                          timeout=CHROMIUM_SECONDS)


def with_fresh_profile(*arguments):
    profile = tempfile.mkdtemp(prefix="nimbrel-chromium-")
    try:
        return chromium(profile, *arguments)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def take_picture(page):
    picture = os.path.join(ARTIFACTS, os.path.splitext(os.path.basename(page))[0] + ".png")
    if os.path.exists(picture):
        os.unlink(picture)
    with_fresh_profile("--screenshot=" + picture, "file://" + page)
    return os.path.exists(picture)


def measure(pages):
    """The faults of each page, measured in one browser run: every page's measuring copy sits
    in a frame of the view's size, and the frame page gathers their records once all loaded."""
    directory = os.path.dirname(pages[0])
    frames = []
    for index, page in enumerate(pages):
        with open(page, encoding="utf-8") as served:
            html = served.read()
        copy = os.path.join(directory, "measured-%d.html" % index)
        with open(copy, "w", encoding="utf-8") as measured:
            measured.write(html.replace("</body>", MEASURE + "</body>"))
        frames.append('<iframe src="%s" width="%d" height="%d" scrolling="no" '
                      'frameborder="0"></iframe>' % (os.path.basename(copy), VIEW_WIDTH,
                                                     VIEW_HEIGHT))
    gather = ("<script>window.onload = function () { var all = [];"
              "var frames = document.getElementsByTagName('iframe');"
              "for (var i = 0; i < frames.length; i++) {"
              "  var body = frames[i].contentDocument && frames[i].contentDocument.body;"
              "  all.push(body ? body.getAttribute('data-fit') : null); }"
              "document.body.setAttribute('data-all', JSON.stringify(all)); };</script>")
    index_page = os.path.join(directory, "measured-all.html")
    with open(index_page, "w", encoding="utf-8") as frame_page:
        frame_page.write("<!DOCTYPE html><html><body>%s%s</body></html>" %
                         ("".join(frames), gather))
    dom = with_fresh_profile("--allow-file-access-from-files", "--dump-dom",
                             "file://" + index_page).stdout
    found = re.search(r'data-all="([^"]*)"', dom)
    if not found:
        return {page: ["the measurement did not run"] for page in pages}
    records = json.loads(found.group(1).replace("&quot;", '"').replace("&amp;", "&"))
    return {page: json.loads(record) if record else ["the measurement did not run"]
            for page, record in zip(pages, records)}


class PageFit(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(ARTIFACTS, exist_ok=True)
        cls.pages = tempfile.mkdtemp(prefix="nimbrel-pages-")
        cls.city = longest_catalogue_city(BOOT_INI)
        subprocess.run([SAMPLES, cls.pages, cls.city], check=True, timeout=30)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.pages, ignore_errors=True)

    def test_the_measurement_sees_an_overflow(self):
        wide = os.path.join(self.pages, "overflowing.html")
        with open(os.path.join(self.pages, "code-0.html"), encoding="utf-8") as page:
            html = page.read()
        with open(wide, "w", encoding="utf-8") as page:
            page.write(html.replace('<div id="w">',
                                    '<div id="w"><div style="width:300px">x</div>'))
        self.assertTrue(measure([wide])[wide])

    def test_every_page_fits_the_widget(self):
        pages = sorted(os.path.join(self.pages, name) for name in os.listdir(self.pages)
                       if name.endswith(".html") and not name.startswith(("measured-", "over")))
        self.assertGreater(len(pages), 28)
        with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
            pictures = dict(zip(pages, pool.map(take_picture, pages)))
        self.assertEqual([os.path.basename(p) for p, taken in pictures.items() if not taken], [])
        for page, faults in measure(pages).items():
            with self.subTest(page=os.path.basename(page)):
                self.assertEqual(faults, [])
        with open(os.path.join(self.pages, "code-96.html"), encoding="utf-8") as page:
            self.assertIn(">%s<" % self.city, page.read())


if __name__ == "__main__":
    SAMPLES, BOOT_INI, ARTIFACTS = sys.argv[1:4]
    del sys.argv[1:4]
    unittest.main(verbosity=2)
