#!/usr/bin/env python3
"""A 4442-type memory card behind vpcd, the virtual PC/SC reader driver.

Connects to vpcd on 127.0.0.1:<port> and answers its frames (a 2-byte
big-endian length, then the bytes; a 1-byte frame is a control byte: 0 power
off, 1 power on, 2 reset, 4 send the ATR). The card answers the reader
commands the card service uses, as the readers document them:

  FF A4 00 00 01 06        select the 4442 card (resets it: the code is forgotten)
  FF B0 00 aa nn           read nn bytes of main memory from address aa
  FF B1 00 00 04           read the security memory: error counter, 3 code bytes
  FF 20 00 00 03 c1 c2 c3  present the code: 90 07 when accepted, 63 Cn (n tries
                           left) when wrong, 69 83 when the card is locked
  FF D0 00 aa nn data      write nn bytes from address aa; without the code the
                           card keeps its memory and the reader still says 90 00

Every command received is appended, in hex, to the --log file.
"""

import argparse
import socket
import struct
import sys
import time

ATR = bytes.fromhex("3B04A2131091")
OK = bytes.fromhex("9000")


class Card:
    def __init__(self, counter, code):
        self.memory = bytearray(256)
        self.counter = counter
        self.code = code
        self.selected = False
        self.unlocked = False

    def reset(self):
        self.selected = False
        self.unlocked = False

    def answer(self, apdu):
        if len(apdu) < 5 or apdu[0] != 0xFF:
            return bytes.fromhex("6E00")
        ins, address, length, data = apdu[1], (apdu[2] << 8) | apdu[3], apdu[4], apdu[5:]
        if ins == 0xA4:
            if data != b"\x06":
                return bytes.fromhex("6A81")
            self.reset()
            self.selected = True
            return OK
        if not self.selected:
            return bytes.fromhex("6985")
        if ins == 0xB0:
            if address + length > len(self.memory):
                return bytes.fromhex("6700")
            return bytes(self.memory[address:address + length]) + OK
        if ins == 0xB1:
            shown = self.code if self.unlocked else b"\x00\x00\x00"
            return bytes([self.counter]) + shown + OK
        if ins == 0x20:
            if len(data) != 3:
                return bytes.fromhex("6700")
            if self.counter & 0x07 == 0:
                return bytes.fromhex("6983")
            if data != self.code:
                # Each wrong code clears one bit of the counter for good.
                for bit in (0x04, 0x02, 0x01):
                    if self.counter & bit:
                        self.counter &= ~bit
                        break
                return bytes([0x63, 0xC0 | bin(self.counter & 0x07).count("1")])
            self.counter = 0x07
            self.unlocked = True
            return bytes.fromhex("9007")
        if ins == 0xD0:
            if len(data) != length or address + length > len(self.memory):
                return bytes.fromhex("6700")
            if self.unlocked:
                self.memory[address:address + length] = data
            return OK
        return bytes.fromhex("6D00")


def receive(sock, size):
    data = b""
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        if not chunk:
            raise EOFError
        data += chunk
    return data


def send(sock, data):
    sock.sendall(struct.pack(">H", len(data)) + data)


def connect(port, seconds):
    deadline = time.monotonic() + seconds
    while True:
        try:
            return socket.create_connection(("127.0.0.1", port))
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--counter", type=lambda text: int(text, 0), default=0x07)
    parser.add_argument("--code", default="FFFFFF")
    parser.add_argument("--log")
    arguments = parser.parse_args()

    card = Card(arguments.counter, bytes.fromhex(arguments.code))
    log = open(arguments.log, "a", buffering=1) if arguments.log else None
    sock = connect(arguments.port, 20)
    try:
        while True:
            (size,) = struct.unpack(">H", receive(sock, 2))
            frame = receive(sock, size)
            if size == 1:
                control = frame[0]
                if control in (0, 1, 2):
                    card.reset()
                elif control == 4:
                    send(sock, ATR)
                continue
            if log:
                log.write(frame.hex().upper() + "\n")
            send(sock, card.answer(frame))
    except (EOFError, ConnectionError):
        return 0


if __name__ == "__main__":
    sys.exit(main())
