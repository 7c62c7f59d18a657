#!/usr/bin/env python3
"""A stand-in for the IEEE's listing server, for driving the update through
the windows: serves the listings of FOLDER (its *.txt files, by name) on
127.0.0.1:PORT as the file FOLDER/mode says at each request:
  ok     the listings, whole;
  bad    a page that is no listing (as a filtering proxy answers);
  stall  a slow trickle of the MA-L listing, its size told, that never
         ends.
It stops by itself after two minutes.
  listing_server.py FOLDER PORT_FILE
"""
import http.server
import os
import sys
import threading
import time

FOLDER = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(os.path.join(FOLDER, "mode")) as f:
            mode = f.read().strip()
        name = self.path.rsplit("/", 1)[-1]
        if not name.endswith(".txt") or not os.path.isfile(
                os.path.join(FOLDER, name)):
            self.send_error(404)
            return
        if mode == "bad":
            body = b"<html><title>Request Rejected</title></html>\n"
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        with open(os.path.join(FOLDER, name), "rb") as f:
            body = f.read()
        self.send_response(200)
        # Told even where it never all comes: the progress shows how much
        # of it has.
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if mode != "stall":
            self.wfile.write(body)
            return
        # A few kilobytes now and then, never the whole.
        deadline = time.time() + 100
        sent = 0
        while time.time() < deadline and sent < len(body) // 2:
            try:
                self.wfile.write(body[sent:sent + 8192])
                self.wfile.flush()
            except OSError:
                return
            sent += 8192
            time.sleep(0.2)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
with open(sys.argv[2], "w") as f:
    f.write(str(server.server_address[1]))
threading.Timer(120, server.shutdown).start()
server.serve_forever()
