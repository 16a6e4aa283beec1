#!/usr/bin/env python3
"""How long a host takes to notice a player whose network vanished.

Makes two network namespaces joined by a veth pair (root only; nothing is
routed out of them), starts spades-server in the first, seats Ann there over
loopback and Bo from the second, starts a game and takes Bo's link down while
the host waits for Bo's bid, so that nothing is in flight and only keepalive
can tell. Prints the time until Ann hears that Bo left and until the
computer bid for Bo's seat, with the server's own keepalive times.

  bench/vanish.py [build/spades-server]
"""
import ctypes
import os
import socket
import subprocess
import sys
import time

CLONE_NEWNET = 0x40000000
TERMINATOR = b"\xff"
ID = str(os.getpid())
HOST_NS, PLAYER_NS = "vanish-h" + ID, "vanish-p" + ID
HOST_LINK, PLAYER_LINK = "vh" + ID, "vp" + ID


def ip(*args):
    subprocess.run(["ip", *args], check=True)


def enter(namespace):
    libc = ctypes.CDLL("libc.so.6", use_errno=True)
    fd = os.open("/run/netns/" + namespace, os.O_RDONLY)
    try:
        if libc.setns(fd, CLONE_NEWNET) != 0:
            raise OSError(ctypes.get_errno(), "setns " + namespace)
    finally:
        os.close(fd)


class Peer:
    def __init__(self, address, name):
        self.sock = socket.create_connection((address, 7772), timeout=10)
        self.buffer = b""
        self.messages = []
        self.seat = 0
        while self.seat == 0:
            self.read()
        self.sock.sendall(b"CMD_logininfo+%d+1.0.6+%s" % (self.seat, name) + TERMINATOR * 2)

    def read(self):
        data = self.sock.recv(65536)
        if not data:
            raise SystemExit("the host closed a connection")
        self.buffer += data
        *done, self.buffer = self.buffer.split(TERMINATOR)
        for message in done:
            self.messages.append((time.monotonic(), message))
            if message.startswith(b"CMD_sendlogininfo+"):
                self.seat = int(message.split(b"+")[1])

    def wait_for(self, prefix, timeout):
        deadline = time.monotonic() + timeout
        while True:
            for when, message in self.messages:
                if message.startswith(prefix):
                    return when
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            self.sock.settimeout(left)
            try:
                self.read()
            except socket.timeout:
                return None


def main():
    server_path = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/spades-server")
    if os.geteuid() != 0:
        raise SystemExit("making network namespaces needs root")
    home = os.open("/proc/self/ns/net", os.O_RDONLY)
    server = None
    try:
        ip("netns", "add", HOST_NS)
        ip("netns", "add", PLAYER_NS)
        ip("-n", HOST_NS, "link", "add", HOST_LINK, "type", "veth", "peer", "name", PLAYER_LINK,
           "netns", PLAYER_NS)
        ip("-n", HOST_NS, "addr", "add", "10.77.0.1/24", "dev", HOST_LINK)
        ip("-n", PLAYER_NS, "addr", "add", "10.77.0.2/24", "dev", PLAYER_LINK)
        for namespace, link in ((HOST_NS, HOST_LINK), (PLAYER_NS, PLAYER_LINK)):
            ip("-n", namespace, "link", "set", "lo", "up")
            ip("-n", namespace, "link", "set", link, "up")

        enter(HOST_NS)
        server = subprocess.Popen([server_path, "--port", "7772"], stdout=subprocess.PIPE)
        server.stdout.readline()
        ann = Peer("127.0.0.1", b"Ann")
        enter(PLAYER_NS)
        bo = Peer("10.77.0.1", b"Bo")
        ann.sock.sendall(b"CMD_startgame+Ann+500+y+y+n+" + TERMINATOR)
        if bo.wait_for(b"CMD_getbid+2+", 20) is None:
            raise SystemExit("Bo was not asked for a bid")
        time.sleep(1)  # what was sent is acknowledged: nothing in flight
        down = time.monotonic()
        ip("-n", PLAYER_NS, "link", "set", PLAYER_LINK, "down")
        left = ann.wait_for(b"CMD_playerdisconnected+2+", 300)
        bid = ann.wait_for(b"CMD_hebid+2+", 30)
        if left is None or bid is None:
            raise SystemExit("the host did not notice in five minutes")
        print("Bo's seat freed %.1f s after the link went down; computer bid for it after %.1f s"
              % (left - down, bid - down))
        return 0 if left - down <= 90 else 1
    finally:
        ctypes.CDLL("libc.so.6").setns(home, CLONE_NEWNET)
        if server:
            server.terminate()
            server.wait(10)
        subprocess.run(["ip", "netns", "del", PLAYER_NS], check=False)
        subprocess.run(["ip", "netns", "del", HOST_NS], check=False)


if __name__ == "__main__":
    sys.exit(main())
