"""The fixture of the page tests: one engine's browser and the page's server,
started once for all the tests of that engine. A test is a function that
takes the fixture (page) and asks it for the browser at the viewport it
needs (page.browser(800, 700)); the first time in a test the browser comes
as a new one would: no errors kept, and the server's origin without storage,
offline copies or workers. A test that fails leaves its browser behind: the
next one gets a new browser."""

import os
import time

import cdp
import driver_base
import marionette
import page_server
import webkit

ENGINES = {"chromium": cdp.Browser, "firefox": marionette.Browser, "webkit": webkit.Browser}

# Longest a browser may take to start or to answer one call, on a busy machine.
BROWSER_S = 180

# Run in a page of the server's origin: empties its storage, unregisters its
# workers and then deletes its offline caches (a worker's install under way
# finishes first), without holding the driver meanwhile; window.__left says
# at the end how many workers the origin still had or served the page.
FORGET_ORIGIN = """(() => {
  window.__left = null;
  (async () => {
    localStorage.clear();
    sessionStorage.clear();
    const workers = navigator.serviceWorker;
    const registrations = workers ? await workers.getRegistrations() : [];
    for (const r of registrations) await r.unregister();
    if (window.caches) for (const key of await caches.keys()) await caches.delete(key);
    window.__left = registrations.length + (workers && workers.controller ? 1 : 0);
  })().catch((e) => { window.__left = String(e); });
  return true;
})()"""


class Page:
    """The fixture: build_web, desktop and out (a folder of this engine's
    own) for the tests, the server of build_web, the browser."""

    def __init__(self, engine, build_web, desktop, out):
        self.engine = engine
        self.build_web, self.desktop, self.out = build_web, desktop, out
        os.makedirs(out, exist_ok=True)
        self.Browser = ENGINES[engine]
        self.server = page_server.Server(build_web)
        # Servers of other folders, kept to the end of the run: no later
        # server gets their port, an origin the browser keeps workers for.
        self.sites = []
        # By density: one browser, but WebKit's density is its process's.
        self.browsers = {}
        self.new_for_test = set()

    def url(self, path="index.html", fault=None):
        return self.server.url(path, fault)

    def site(self, folder, port=0):
        """A server of another folder (its own origin)."""
        server = page_server.Server(folder, port)
        self.sites.append(server)
        return server

    def browser(self, width=640, height=480, density=1):
        """The browser with a viewport of width x height CSS pixels at that
        density (b.got: the viewport it got, where the browser has limits)."""
        key = 1 if self.Browser.can_set_density else density
        b = self.browsers.get(key)
        if b is None:
            b = self.browsers[key] = self.Browser(width=width, height=height, density=density,
                                                  timeout=BROWSER_S)
        b.server = self.server
        if key not in self.new_for_test:
            self.forget(b)
            self.new_for_test.add(key)
        b.got = b.set_viewport(width, height, density)
        return b

    def forget(self, b):
        """Makes the browser as a new one for the server's origin: leaves
        the page for an empty one of the origin, forgets the origin's
        storage, offline copies and workers (a worker lets go once no page
        uses it), and the errors and settings the driver kept."""
        deadline = time.time() + BROWSER_S
        while True:
            b.open(self.server.url(page_server.BLANK))
            left = b.wait_for('location.pathname == "/%s" && document.readyState == "complete"'
                              % page_server.BLANK, BROWSER_S) and b.evaluate(FORGET_ORIGIN) and \
                b.wait_for('window.__left !== null && String(window.__left)', BROWSER_S)
            if left == "0":
                break
            if time.time() > deadline:
                raise RuntimeError("the browser kept the page's offline worker (%s)" % left)
            b.open("about:blank")
            time.sleep(0.2)
        b.forget()

    def begin(self):
        """Before each test: a browser of another density lived for one test."""
        for key in [k for k in self.browsers if k != 1]:
            self.browsers.pop(key).close()
        self.new_for_test = set()
        driver_base.PageDriver.crashes = []

    def drop_browsers(self):
        """After a failed test: its browsers end (saying whether they crashed)."""
        browsers, self.browsers = self.browsers, {}
        for b in browsers.values():
            b.close()

    def close(self):
        try:
            self.drop_browsers()
        finally:
            for server in [self.server] + self.sites:
                server.close()
