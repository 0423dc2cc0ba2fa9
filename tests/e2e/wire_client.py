#!/usr/bin/env python3
"""A minimal client of the device protocol for end-to-end tests, written apart from the C++
code so that the tests check the programs against an independent reading of the wire format.

    wire_client.py --interface ADDR [--wait SECONDS] REQUEST_JSON

REQUEST_JSON is one request:
    {"kind": "search"}
    {"kind": "auth", "mac": "02-81-00-00-00-01", "token": "0A0B0C0D", "password": "admin"}
    {"kind": "configure", "mac": ..., "ipMode": 1, "ip": ..., "netmask": ..., "gateway": ...,
     "name": ..., "password": ..., "wireless": 1, "auxName": "", "auxAttr": 0, "auxKeyCode": 0,
     "ssid": ..., "channel": 6, "security": 0, "key": "", "networkMode": 0}
It is sealed (filler interleaved, AES-256-ECB by the openssl command, checksum byte) and
multicast to 234.2.2.2:14675 from ADDR; every answer heard within the wait is printed as one
JSON line with "elapsed" (seconds since the send). Exit 77 when openssl is missing.
"""

import argparse
import json
import random
import shutil
import socket
import subprocess
import sys
import time

GROUP = "234.2.2.2"
PORT = 14675
KEY_HEX = b"k3v9q1m7x2p8w4n6r0t5y1u8i3o6a9sd".hex()

TAGS = {
    b"TRV81KV3ServerSearchingA": "search-answer",
    b"TRV81KV3ServerAuthReqAck": "auth-answer",
    b"TRV81KV3ServerConfigureA": "configure-answer",
}


def aes(data, decrypt):
    args = ["openssl", "enc", "-aes-256-ecb", "-nopad", "-K", KEY_HEX]
    if decrypt:
        args.append("-d")
    return subprocess.run(args, input=data, capture_output=True, check=True).stdout


def seal(plain):
    assert len(plain) == 320
    block = bytearray(640)
    for i, b in enumerate(plain):
        block[2 * i] = random.randrange(256)
        block[2 * i + 1] = b
    cipher = aes(bytes(block), decrypt=False)
    return cipher + bytes([sum(cipher) % 256])


def unseal(datagram):
    cipher = datagram[:640].ljust(640, b"\0")
    return aes(cipher, decrypt=True)[1::2]


def mac_bytes(text):
    return bytes(int(part, 16) for part in text.replace(":", "-").split("-"))


def mac_text(data):
    return "-".join("%02X" % b for b in data)


def ip_text(data):
    return ".".join(str(b) for b in data)


def prefixed(text):
    data = text.encode("latin-1")
    return bytes([len(data)]) + data


def build(request, local):
    kind = request["kind"]
    if kind == "search":
        body = b"TRV81KV3ClientSearchingF"
    elif kind == "auth":
        body = (b"TRV81KV3ClientAuthReqPkt" + bytes.fromhex(request["token"]) +
                mac_bytes(request["mac"]) + socket.inet_aton(local) +
                prefixed(request["password"]))
    elif kind == "configure":
        r = request
        static = r.get("ipMode", 1) == 1
        addresses = b"".join(socket.inet_aton(r[k]) for k in ("ip", "netmask", "gateway")) \
            if static else bytes(12)
        key_width = {1: 10, 2: 26, 3: 64, 4: 64, 8: 64, 9: 64, 10: 64}.get(r["security"], 0)
        key = r.get("key", "").encode("latin-1")[:key_width].ljust(key_width, b"\0")
        block = {1: 5, 2: 13, 3: 16}.get(r.get("auxKeyCode", 0), 0)
        body = (b"TRV81KV3ClientConfigureR" + mac_bytes(r["mac"]) + bytes([r.get("ipMode", 1)]) +
                addresses + prefixed(r["name"]) + prefixed(r["password"]) +
                bytes([r.get("wireless", 1)]) + prefixed(r.get("auxName", "")) +
                bytes([r.get("auxAttr", 0), r.get("auxKeyCode", 0)]) + bytes(block) +
                prefixed(r["ssid"]) + bytes([r["channel"], r["security"]]) + key +
                bytes([r["networkMode"]]))
    else:
        raise SystemExit("unknown request kind " + kind)
    assert len(body) <= 320
    return seal(body.ljust(320, b"\0"))


def parse_search(plain):
    pos = 24
    out = {}

    def take(n):
        nonlocal pos
        data = plain[pos:pos + n]
        pos += n
        return data

    def text():
        return take(take(1)[0]).decode("latin-1")

    out["deviceId"] = take(6).hex().upper()
    out["auxName"] = text()
    out["auxAttr"], out["auxKeyCode"] = take(2)
    out["mac"] = mac_text(take(6))
    out["ssid"] = text()
    out["channel"], out["security"] = take(2)
    out["name"] = text()
    out["auxText"] = text()
    out["firmware"] = take(5).rstrip(b"\0").decode("latin-1")
    out["ipMode"] = take(1)[0]
    out["ip"], out["netmask"], out["gateway"] = (ip_text(take(4)) for _ in range(3))
    out["marker"] = take(4) == b"EWSC"
    out["networkMode"] = take(1)[0]
    take(7)
    out["token"] = take(4).hex().upper()
    out["password"] = take(32).split(b"\0")[0].decode("latin-1")
    return out


def parse(plain):
    kind = TAGS.get(plain[:24], "unknown")
    out = {"kind": kind}
    if kind == "search-answer":
        out.update(parse_search(plain))
    elif kind == "auth-answer":
        out.update(token=plain[24:28].hex().upper(), mac=mac_text(plain[28:34]),
                   ip=ip_text(plain[34:38]), status=plain[38])
    elif kind == "configure-answer":
        out.update(mac=mac_text(plain[24:30]), status=plain[30])
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--interface", required=True)
    parser.add_argument("--wait", type=float, default=1.0)
    parser.add_argument("request")
    args = parser.parse_args()
    if shutil.which("openssl") is None:
        print("wire_client: the openssl command is missing", file=sys.stderr)
        return 77

    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("", PORT))
    s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_LOOP, 0)
    s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_TTL, 3)
    s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_IF, socket.inet_aton(args.interface))
    s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                 socket.inet_aton(GROUP) + socket.inet_aton(args.interface))

    datagram = build(json.loads(args.request), args.interface)
    start = time.monotonic()
    s.sendto(datagram, (GROUP, PORT))
    deadline = start + args.wait
    while True:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        s.settimeout(left)
        try:
            data, sender = s.recvfrom(740)
        except socket.timeout:
            break
        answer = parse(unseal(data))
        answer.update(elapsed=round(time.monotonic() - start, 4), sender=sender[0], size=len(data),
                      checksumOk=len(data) == 641 and data[640] == sum(data[:640]) % 256)
        print(json.dumps(answer), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
