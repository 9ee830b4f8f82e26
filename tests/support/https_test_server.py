#!/usr/bin/env python3
"""A scripted HTTPS server on 127.0.0.1 for the classroom client's tests.

Usage: https_test_server.py CERT KEY WORKDIR

Listens on a free port and writes it to WORKDIR/port once ready. Each accepted connection is
logged to WORKDIR/connections.log before the TLS handshake; each request read in full is
appended to WORKDIR/requests.log as one line: method, path, the header lines and the body, the
last two in hex, separated by tabs. Replies come from
WORKDIR/routes.json, read again for every request: {"/path": [reply, reply, ...]}; the n-th request
to a path takes the n-th reply, the last one repeating (counts restart when the file changes).
A reply: status, reason, body or body_size, headers, content_length (declared length, possibly
larger than the body, then the connection closes), delay_ms (before answering), stall_ms (after
the headers), trickle_ms (between chunks of trickle_chunk bytes), close_before_answer. A path
without a route answers 404.
"""
import json
import os
import socket
import socketserver
import ssl
import sys
import threading
import time

CERT, KEY, WORKDIR = sys.argv[1], sys.argv[2], sys.argv[3]
LOCK = threading.Lock()
STATE = {"routes_text": None, "counts": {}}


def append(name, line):
    with LOCK:
        with open(os.path.join(WORKDIR, name), "a", encoding="utf-8") as f:
            f.write(line + "\n")
            f.flush()


def next_reply(path):
    try:
        with open(os.path.join(WORKDIR, "routes.json"), encoding="utf-8") as f:
            text = f.read()
    except OSError:
        text = "{}"
    with LOCK:
        if text != STATE["routes_text"]:
            STATE["routes_text"] = text
            STATE["counts"] = {}
        replies = json.loads(text).get(path)
        if not replies:
            return {"status": 404, "body": "{\"error\":\"no route\"}"}
        n = STATE["counts"].get(path, 0)
        STATE["counts"][path] = n + 1
        return replies[min(n, len(replies) - 1)]


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return None
        data += chunk
        if len(data) > 4 << 20:
            return None
    head, rest = data.split(b"\r\n\r\n", 1)
    lines = head.decode("latin-1").split("\r\n")
    method, path, _ = lines[0].split(" ", 2)
    length = 0
    for line in lines[1:]:
        name, _, value = line.partition(":")
        if name.strip().lower() == "content-length":
            length = int(value.strip())
    while len(rest) < length:
        chunk = conn.recv(65536)
        if not chunk:
            return None
        rest += chunk
    return {"method": method, "path": path, "head": "\r\n".join(lines[1:]).encode("latin-1"),
            "body": rest[:length]}


def answer(conn, reply):
    time.sleep(reply.get("delay_ms", 0) / 1000.0)
    if reply.get("close_before_answer"):
        return
    if "body_size" in reply:
        body = b"x" * reply["body_size"]
    else:
        body = reply.get("body", "").encode("utf-8")
    status = reply.get("status", 200)
    head = "HTTP/1.1 %d %s\r\n" % (status, reply.get("reason", "Scripted"))
    head += "Connection: close\r\n"
    if status != 204:
        head += "Content-Length: %d\r\n" % reply.get("content_length", len(body))
    for name, value in reply.get("headers", {}).items():
        head += "%s: %s\r\n" % (name, value)
    conn.sendall((head + "\r\n").encode("latin-1"))
    time.sleep(reply.get("stall_ms", 0) / 1000.0)
    chunk = reply.get("trickle_chunk", 0)
    if chunk:
        for i in range(0, len(body), chunk):
            conn.sendall(body[i:i + chunk])
            time.sleep(reply.get("trickle_ms", 0) / 1000.0)
    elif body:
        conn.sendall(body)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        append("connections.log", "accepted")
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(CERT, KEY)
        try:
            conn = context.wrap_socket(self.request, server_side=True)
        except (ssl.SSLError, OSError):
            return
        try:
            request = read_request(conn)
            if request is None:
                return
            append("requests.log", "\t".join([request["method"], request["path"],
                                               request["head"].hex(), request["body"].hex()]))
            answer(conn, next_reply(request["path"]))
        except (ssl.SSLError, OSError):
            pass
        finally:
            try:
                conn.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            conn.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    port_file = os.path.join(WORKDIR, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
