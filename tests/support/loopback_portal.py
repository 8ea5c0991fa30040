"""A stand-in for the weather portal on loopback, shared by the end-to-end, package and
benchmark scripts: it answers every GET with a tiny page and keeps each request's path with
the moment it arrived, so a script can ask what the widget requested and when."""

import http.server
import threading
import time

WEATHER_QUERY = "/tb.q?cid=tb.tq&cin=&city="
WEATHER_PAGE = b"<html><head><title>t</title></head><body>ok</body></html>"


class LoopbackPortal:
    def __init__(self):
        portal = self
        self._requests = []  # (time.monotonic(), path), in arrival order
        self._lock = threading.Lock()

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                with portal._lock:
                    portal._requests.append((time.monotonic(), self.path))
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=gb2312")
                self.send_header("Content-Length", str(len(WEATHER_PAGE)))
                self.end_headers()
                self.wfile.write(WEATHER_PAGE)

            def log_message(self, *args):
                pass

        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self._server.daemon_threads = True
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()

    @property
    def base(self):
        return "http://127.0.0.1:%d/" % self._server.server_address[1]

    def weather_requests(self):
        """The paths of the weather page requests so far, in arrival order."""
        with self._lock:
            return [path for _, path in self._requests if path.startswith(WEATHER_QUERY)]

    def weather_arrivals(self):
        """When each weather page request arrived (time.monotonic()), in arrival order."""
        with self._lock:
            return [at for at, path in self._requests if path.startswith(WEATHER_QUERY)]

    def stop(self, join_seconds=10):
        self._server.shutdown()
        self._server.server_close()
        self._thread.join(join_seconds)
