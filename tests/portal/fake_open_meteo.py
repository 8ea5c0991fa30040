"""A loopback stand-in for Open-Meteo's forecast and geocoding APIs.

Answers in the documented JSON shapes, counts the calls per API, and can be told to fail,
to stall, or to hold its answers for a while, so tests see the portal under every condition
without the internet.
"""

import json
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

UNKNOWN_CITY = "不存在"


def forecast_answer(latitude, longitude, code=2):
    return {
        "latitude": latitude,
        "longitude": longitude,
        "timezone": "Asia/Shanghai",
        "current_units": {"temperature_2m": "°C", "weather_code": "wmo code"},
        "current": {"time": "2026-12-11T20:15", "interval": 900,
                    "temperature_2m": 7.4, "weather_code": code},
        "daily_units": {"weather_code": "wmo code"},
        "daily": {"time": ["2026-12-11", "2026-12-12", "2026-12-13", "2026-12-14"],
                  "weather_code": [code, 61, 0, 71],
                  "temperature_2m_max": [12.3, 9.0, 11.0, 2.0],
                  "temperature_2m_min": [1.2, 3.0, -1.0, -4.5]},
    }


class FakeOpenMeteo:
    def __init__(self):
        self.lock = threading.Lock()
        self.calls = {"search": 0, "forecast": 0}
        self.failing = False        # answer 500
        self.stall_seconds = 0.0    # sleep before answering
        self.names = []
        handler = self._handler_class()
        self.server = ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.server.daemon_threads = True
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    @property
    def base(self):
        return "http://127.0.0.1:%d/" % self.server.server_address[1]

    def count(self, api):
        with self.lock:
            return self.calls[api]

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()

    def _handler_class(self):
        fake = self

        class Handler(BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                url = urllib.parse.urlsplit(self.path)
                query = urllib.parse.parse_qs(url.query)
                if url.path == "/_calls":  # for scripts that run the fake on its own
                    with fake.lock:
                        return self.answer(200, dict(fake.calls))
                api = {"/v1/search": "search", "/v1/forecast": "forecast"}.get(url.path)
                if api is None:
                    return self.answer(404, {"error": True, "reason": "no such path"})
                with fake.lock:
                    fake.calls[api] += 1
                    failing, stall = fake.failing, fake.stall_seconds
                    if api == "search":
                        fake.names.append(query.get("name", [""])[0])
                if stall:
                    threading.Event().wait(stall)
                if failing:
                    return self.answer(500, {"error": True, "reason": "failing"})
                if api == "search":
                    name = query["name"][0]
                    assert query["count"] == ["1"] and query["language"] == ["zh"]
                    assert query["countryCode"] == ["CN"]
                    if name == UNKNOWN_CITY:
                        return self.answer(200, {"generationtime_ms": 0.3})
                    return self.answer(200, {"results": [
                        {"id": 1, "name": name, "latitude": 39.9075, "longitude": 116.39723,
                         "country_code": "CN", "timezone": "Asia/Shanghai"}]})
                assert query["timezone"] == ["Asia/Shanghai"]
                assert query["forecast_days"] == ["4"]
                return self.answer(200, forecast_answer(float(query["latitude"][0]),
                                                        float(query["longitude"][0])))

            def answer(self, status, document):
                body = json.dumps(document, ensure_ascii=False).encode("utf-8")
                try:
                    self.send_response(status)
                    self.send_header("Content-Type", "application/json; charset=utf-8")
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                except OSError:
                    pass  # the portal gave up waiting: expected in the timeout cases

        return Handler


if __name__ == "__main__":
    import time
    # On its own, for scripts/run.sh and the benchmark: prints its base, serves until killed.
    with FakeOpenMeteo() as fake:
        print(fake.base, flush=True)
        while True:
            time.sleep(3600)
