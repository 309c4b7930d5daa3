#!/usr/bin/env python3
"""edgemeasure's HTML report in a real browser: headless Chromium opens it from the file system
and, through its DevTools protocol, the test checks that the page logs nothing to the console,
throws nothing and fetches nothing; that the overlay and the plots hold one shape per path, edge,
fit and plot of the results; that the table colours the verdicts; that a tip shows on an edge,
the wheel zooms and a table row shows its measurement. A screenshot goes into the work folder.

The measured job is the demo's with tolerances: the hole passes, the slot fails.

Usage: check_report.py EDGEMEASURE WORK_FOLDER [--require-browser]
Without Chromium the test is skipped (exit 77) unless --require-browser is given.
"""
import base64
import json
import os
import pathlib
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIPPED = 77
TIMEOUT_S = 60
# Flags that keep Chromium off the (closed) network and away from the user's profile.
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--remote-debugging-port=0",
                  "--window-size=1280,900"]
MAX_PLOTS = 48  # per measurement, as the report draws them


class DevTools:
    """A minimal WebSocket client (RFC 6455, text frames) speaking the DevTools protocol."""

    def __init__(self, url):
        host, port, path = re.match(r"ws://([^:/]+):(\d+)(/.*)", url).groups()
        self.sock = socket.create_connection((host, int(port)), timeout=TIMEOUT_S)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET {path} HTTP/1.1\r\nHost: {host}:{port}\r\nUpgrade: websocket\r\n"
                           f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        response = b""
        while b"\r\n\r\n" not in response:
            response += self.sock.recv(1)
        assert b" 101 " in response.split(b"\r\n")[0], response
        self.next_id = 0
        self.events = []

    def _read(self, count):
        data = b""
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise ConnectionError("the browser closed the connection")
            data += chunk
        return data

    def _send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        head = bytes([0x81])  # final text frame
        if len(payload) < 126:
            head += bytes([0x80 | len(payload)])
        elif len(payload) < 1 << 16:
            head += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        else:
            head += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(head + mask + masked)

    def _receive(self):
        message = b""
        while True:
            first, second = self._read(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._read(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._read(8))[0]
            message += self._read(length)
            if first & 0x80:
                return json.loads(message)

    def call(self, method, **params):
        self.next_id += 1
        self._send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = self._receive()
            if message.get("id") == self.next_id:
                assert "error" not in message, f"{method}: {message['error']}"
                return message["result"]
            self.events.append(message)

    def wait_for(self, method):
        for event in self.events:
            if event.get("method") == method:
                return event
        deadline = time.time() + TIMEOUT_S
        while time.time() < deadline:
            message = self._receive()
            self.events.append(message)
            if message.get("method") == method:
                return message
        raise TimeoutError(method)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        assert "exceptionDetails" not in result, result["exceptionDetails"]
        return result["result"].get("value")


def make_report(program, work):
    """The demo's job with a passing and a failing tolerance, measured into a report."""
    subprocess.run([program, "demo", str(work / "demo")], check=True, capture_output=True)
    job = json.loads((work / "demo" / "demo-job.json").read_text())
    hole, slot = job["measurements"][0], job["measurements"][1]
    hole.update({"nominal": 145.2, "tolerance": 0.5})
    slot.update({"nominal": 30.0, "tolerance": 0.1})
    (work / "demo" / "job.json").write_text(json.dumps(job))  # beside the image it names
    run = subprocess.run([program, "measure", "--job", str(work / "demo" / "job.json"), "--report",
                          str(work / "report.html"), "-o", str(work / "results.json")],
                         capture_output=True, text=True)
    assert run.returncode == 1, f"a failed tolerance gives exit code 1: {run.stderr}"
    return json.loads((work / "results.json").read_text())


def expected_counts(results):
    """What the page must hold for these results: shapes per path, edge and fit, and plots."""
    counts = {"paths": 0, "edges": 0, "fits": 0, "plots": 0, "plotEdges": 0}
    for m in results["measurements"]:
        counts["paths"] += m["paths"]
        counts["plots"] += min(m["paths"], MAX_PLOTS)
        edges = len(m["edges"]) + (2 if m.get("pair") else 0)
        counts["edges"] += edges
        counts["plotEdges"] += edges
        counts["fits"] += sum(1 for key in ("circle", "line", "pair") if m.get(key))
    return counts


PAGE_COUNTS = """JSON.stringify({
  overlays: document.querySelectorAll("svg.overlay").length,
  embedded: document.querySelectorAll("svg.overlay image[href^='data:image/png;base64,']").length,
  paths: document.querySelectorAll(".hits .path").length,
  edges: document.querySelectorAll(".hits .edge").length,
  fits: document.querySelectorAll(".hits .fit").length,
  untipped: document.querySelectorAll(".hits > g > :not([data-tip])").length,
  plots: document.querySelectorAll("svg.profile-plot").length,
  greyCurves: document.querySelectorAll("svg.profile-plot:has(polyline.grey)").length,
  plotEdges: document.querySelectorAll("svg.profile-plot .edge[data-tip]").length,
  thresholds: document.querySelectorAll("svg.profile-plot .threshold").length,
  passRows: [...document.querySelectorAll("table.results tr.pass td.verdict")].map(c => c.textContent),
  failRows: [...document.querySelectorAll("table.results tr.fail td.verdict")].map(c => c.textContent),
  passColour: getComputedStyle(document.querySelector("tr.pass td.verdict")).backgroundColor,
  failColour: getComputedStyle(document.querySelector("tr.fail td.verdict")).backgroundColor,
  overlayWidth: document.querySelector("svg.overlay").getBoundingClientRect().width,
  fetched: performance.getEntriesByType("resource").map(r => r.name),
})"""


def centre_of(tools, selector):
    return tools.evaluate(f"""(() => {{
        const e = document.querySelector("{selector}");
        e.scrollIntoView({{block: "center"}});
        const r = e.getBoundingClientRect();
        return [r.left + r.width / 2, r.top + r.height / 2];
    }})()""")


def check_behaviour(tools):
    """A tip on an edge, zoom by the wheel, a table row that shows its measurement."""
    x, y = centre_of(tools, ".hits .edge")
    tools.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
    tip = tools.evaluate("(() => { const t = document.querySelector('.tip');"
                         " return t.hidden ? null : t.textContent; })()")
    assert tip and ": edge " in tip and " px" in tip, f"no tip on an edge: {tip!r}"
    view = "document.querySelector('svg.overlay').viewBox.baseVal.width"
    before = tools.evaluate(view)
    tools.call("Input.dispatchMouseEvent", type="mouseWheel", x=x, y=y, deltaX=0, deltaY=-400)
    after = tools.evaluate(view)
    assert 0 < after < before, f"the wheel did not zoom in: {before} -> {after}"
    x, y = centre_of(tools, "table.results tr.fail td")
    for kind in ("mousePressed", "mouseReleased"):
        tools.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)
    shown = tools.evaluate("document.querySelector('svg.overlay').getAttribute('viewBox')")
    wanted = tools.evaluate("document.querySelector('table.results tr.fail').dataset.view")
    assert [round(float(v)) for v in shown.split()] == [round(float(v)) for v in wanted.split()], \
        f"a click on the row shows {shown}, not its measurement {wanted}"


def problems_logged(tools):
    """Console messages, uncaught exceptions and browser log entries: the page must have none."""
    found = []
    for event in tools.events:
        method, params = event.get("method"), event.get("params", {})
        if method == "Runtime.consoleAPICalled":
            found.append(f"console.{params['type']}: {params['args']}")
        elif method == "Runtime.exceptionThrown":
            found.append(f"exception: {params['exceptionDetails']}")
        elif method == "Log.entryAdded":
            found.append(f"log {params['entry']['level']}: {params['entry']['text']}")
    return found


def open_browser(chromium, profile):
    """Chromium on a fresh profile, and the DevTools connection to its page."""
    browser = subprocess.Popen([chromium, *CHROMIUM_FLAGS, f"--user-data-dir={profile}",
                                "about:blank"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    # Chromium names the port it chose in this file of its profile.
    port_file = pathlib.Path(profile) / "DevToolsActivePort"
    deadline = time.time() + TIMEOUT_S
    while not port_file.exists() or not port_file.read_text().strip():
        assert browser.poll() is None, "Chromium ended at start"
        assert time.time() < deadline, "Chromium did not start"
        time.sleep(0.1)
    port = port_file.read_text().split()[0]
    with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=TIMEOUT_S) as r:
        page = next(t for t in json.load(r) if t["type"] == "page")
    return browser, DevTools(page["webSocketDebuggerUrl"])


def main():
    program, work = sys.argv[1], pathlib.Path(sys.argv[2]).resolve()
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if chromium is None:
        if "--require-browser" in sys.argv:
            sys.exit("Chromium is required for the report's browser test but was not found")
        print("SKIPPED: Chromium (Debian package chromium) is not installed; "
              "scripts/setup.sh installs it")
        sys.exit(SKIPPED)
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    expected = expected_counts(make_report(program, work))
    started = time.time()
    # Chromium's helpers may still write to the profile while they end.
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as profile:
        browser, tools = open_browser(chromium, profile)
        try:
            for domain in ("Page", "Runtime", "Log"):
                tools.call(f"{domain}.enable")
            tools.call("Page.navigate", url=(work / "report.html").as_uri())
            tools.wait_for("Page.loadEventFired")
            shot = tools.call("Page.captureScreenshot", format="png")
            (work / "report-screenshot.png").write_bytes(base64.b64decode(shot["data"]))
            counts = json.loads(tools.evaluate(PAGE_COUNTS))
            check_behaviour(tools)
            problems = problems_logged(tools)
        finally:
            browser.terminate()
            browser.wait(timeout=TIMEOUT_S)
    print(f"browser checks took {time.time() - started:.1f} s; counts {counts}")
    assert not problems, "the page reported problems:\n" + "\n".join(problems)
    assert counts["fetched"] == [], f"the page fetched {counts['fetched']}"
    assert counts["overlays"] == 1 and counts["embedded"] == 1 and counts["overlayWidth"] > 0
    for key in ("paths", "edges", "fits", "plots", "plotEdges"):
        assert counts[key] == expected[key], f"{key}: {counts[key]} on the page, {expected[key]}"
    assert counts["untipped"] == 0, "every shape of the overlay has a tip"
    assert counts["greyCurves"] == expected["plots"] and counts["thresholds"] > 0
    assert counts["passRows"] == ["pass"] and counts["failRows"] == ["fail"], counts
    assert counts["passColour"] != counts["failColour"], "pass and fail look alike"


if __name__ == "__main__":
    main()
