"""A headless browser driven over its DevTools pipe: load pages, click, press keys, take
screenshots and evaluate script, as a reader would use the exported pages."""

import base64
import json
import os
import select
import shutil
import subprocess
import time


def find_browser():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Browser:
    def __init__(self, executable, profile, width, height):
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def wire():
            # Through spare numbers first: either pipe may itself sit on 3 or 4.
            reading, writing = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(reading, 3)
            os.dup2(writing, 4)
            os.set_inheritable(3, True)
            os.set_inheritable(4, True)

        # No network on the test machines: nothing may try to reach one.
        args = [executable, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--user-data-dir=" + profile, "--remote-debugging-pipe", "--force-device-scale-factor=1",
                "--hide-scrollbars", "--mute-audio", "--window-size=%d,%d" % (width, height), "about:blank"]
        # The duplicates on 3 and 4 are the only inheritable ones; the pipes themselves close on exec.
        self._process = subprocess.Popen(args, close_fds=False, preexec_fn=wire,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self.events = []
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self._session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Network"):
            self.call(domain + ".enable", session=True)
        self.call("Emulation.setDeviceMetricsOverride", session=True, width=width, height=height,
                  deviceScaleFactor=1, mobile=False)

    def close(self):
        try:
            self.call("Browser.close")
        except Exception:
            pass
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("the browser did not answer")
            ready, _, _ = select.select([self._from_browser], [], [], left)
            if ready:
                chunk = os.read(self._from_browser, 1 << 20)
                if not chunk:
                    raise RuntimeError("the browser went away")
                self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, session=False, timeout=30, **params):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self._session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            if "method" in reply:
                self.events.append(reply)

    def wait_event(self, method, timeout=20):
        deadline = time.monotonic() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event["method"] == method:
                    return self.events.pop(i)
            self.events.append(self._read_message(deadline))

    def navigate(self, url):
        self.events.clear()
        self.call("Page.navigate", session=True, url=url)
        self.wait_event("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression, returnByValue=True,
                           awaitPromise=True)
        return result["result"].get("value")

    def click(self, x, y):
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", session=True, type=kind, x=x, y=y, button="left", clickCount=1)

    def key(self, key, code, key_code):
        for kind in ("rawKeyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", session=True, type=kind, key=key, code=code,
                      windowsVirtualKeyCode=key_code)

    def screenshot(self, path, width, height):
        data = self.call("Page.captureScreenshot", session=True, format="png",
                         clip={"x": 0, "y": 0, "width": width, "height": height, "scale": 1})["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))
