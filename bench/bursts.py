#!/usr/bin/env python3
"""How far apart the messages a host sends in answer to one event arrive.

Starts spades-server on a free loopback port, seats four players on plain
sockets (this script), plays a whole game (first legal card, bid 3) and
times every message as it arrives. For each player and each event it takes
the spread from the message that opens the answer to the one that closes it:

  a card   CMD_heplayed -> CMD_nextplayer or CMD_tooktrick (the player's own
           CMD_usecard comes in between)
  a bid    CMD_hebid    -> CMD_getbid or CMD_nextplayer (after the fourth bid)
  a deal   CMD_startround -> CMD_getbid

  bench/bursts.py [build/spades-server] [--target 500] [--tick 20]
"""
import argparse
import selectors
import socket
import subprocess
import sys
import time

TERMINATOR = b"\xff"
OPENERS = {b"CMD_heplayed": (b"CMD_nextplayer", b"CMD_tooktrick"),
           b"CMD_hebid": (b"CMD_getbid", b"CMD_nextplayer"),
           b"CMD_startround": (b"CMD_getbid",)}


def suit(card):
    return (card - 1) // 13 + 1


class Player:
    def __init__(self, port, name):
        self.sock = socket.create_connection(("127.0.0.1", port))
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.name = name.encode()
        self.buffer = b""
        self.seat = 0
        self.hand = {}
        self.spades_broken = False
        self.open = None  # (closers, time) of the answer being received
        self.spreads = []
        self.won = False

    def send(self, text):
        self.sock.sendall(text + TERMINATOR)

    def legal(self, led):
        slots = sorted(self.hand)
        if led:
            same = [s for s in slots if suit(self.hand[s]) == suit(led)]
            return (same or slots)[0]
        if not self.spades_broken:
            other = [s for s in slots if suit(self.hand[s]) != 3]
            if other:
                return other[0]
        return slots[0]

    def read(self, now):
        data = self.sock.recv(65536)
        if not data:
            raise SystemExit("the host closed the connection of " + self.name.decode())
        self.buffer += data
        *messages, self.buffer = self.buffer.split(TERMINATOR)
        for message in messages:
            self.take(message, now)

    def take(self, message, now):
        name, _, rest = message.partition(b"+")
        fields = rest.split(b"+")
        if self.open and name in self.open[0]:
            self.spreads.append(now - self.open[1])
            self.open = None
        if name in OPENERS:
            self.open = (OPENERS[name], now)
        if name == b"CMD_sendlogininfo":
            self.seat = int(fields[0])
            self.send(b"CMD_logininfo+%d+1.0.6+%s" % (self.seat, self.name) + TERMINATOR)
        elif name in (b"CMD_mycards", b"CMD_loadcards"):
            pairs = [int(f) for f in fields[1:27]]
            self.hand = {pairs[i]: pairs[i + 1] for i in range(0, 26, 2) if pairs[i + 1]}
        elif name == b"CMD_startround":
            self.spades_broken = False
        elif name == b"CMD_heplayed" and suit(int(fields[1])) == 3:
            self.spades_broken = True
        elif name == b"CMD_usecard" and int(fields[0]) == self.seat:
            self.hand.pop(int(fields[1]), None)
        elif name == b"CMD_getbid" and int(fields[0]) == self.seat:
            self.send(b"CMD_mybid+%d+3+" % self.seat)
        elif name == b"CMD_nextplayer" and int(fields[0]) == self.seat:
            self.send(b"CMD_playcard+%d+%d+" % (self.seat, self.legal(int(fields[1] or 0))))
        elif name == b"CMD_postscores":
            self.send(b"CMD_closed+%d+" % self.seat)
        elif name == b"CMD_winner":
            self.won = True


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("server", nargs="?", default="build/spades-server")
    parser.add_argument("--target", default="500")
    parser.add_argument("--tick", default="20", help="ms of one pause tick")
    args = parser.parse_args()

    server = subprocess.Popen([args.server, "--port", "0", "--tick", args.tick],
                              stdout=subprocess.PIPE, text=True)
    try:
        line = server.stdout.readline()
        if not line.startswith("listening on port "):
            raise SystemExit("spades-server did not start: " + line)
        port = int(line.split()[-1])
        players = []
        selector = selectors.DefaultSelector()
        for name in ("Ann", "Bob", "Cy", "Di"):
            player = Player(port, name)
            players.append(player)
            selector.register(player.sock, selectors.EVENT_READ, player)
            while player.seat == 0:
                player.read(time.monotonic())
        players[0].send(b"CMD_startgame+Ann+%s+y+y+n+" % args.target.encode())
        started = time.monotonic()
        while not all(p.won for p in players):
            if time.monotonic() - started > 600:
                raise SystemExit("no winner after ten minutes")
            for key, _ in selector.select(timeout=5):
                key.data.read(time.monotonic())
        spreads = [s * 1000 for p in players for s in p.spreads]
        print("answers timed: %d (4 players, one game to %s, %.1f s)"
              % (len(spreads), args.target, time.monotonic() - started))
        print("spread first to last message, ms: median %.3f  p99 %.3f  max %.3f"
              % (percentile(spreads, 0.5), percentile(spreads, 0.99), max(spreads)))
        print("answers spread over 2 ms: %d" % sum(1 for s in spreads if s > 2))
        return 0 if percentile(spreads, 0.99) <= 2 else 1
    finally:
        server.terminate()
        server.wait(10)


if __name__ == "__main__":
    sys.exit(main())
