#!/usr/bin/env python3
"""A gateway that answers UPnP discovery and control, but badly.

    hostile_router.py MODE LAN_ADDRESS SECONDS

MODE is one of:
  endless      the description never ends (no length, bytes without end)
  oversized    the description claims 200 MB and sends as fast as it can
  slow         the description comes one byte a second
  malformed    the description is garbage
  notanaddress a router that maps the port but gives an outside address that is not one
Runs in the lab's router namespace; answers NAT-PMP with garbage; stops by itself.
"""
import socket
import struct
import sys
import threading
import time

MODE, LAN, SECONDS = sys.argv[1], sys.argv[2], float(sys.argv[3])
DEADLINE = time.time() + SECONDS

DESC = b"""<?xml version="1.0"?>
<root xmlns="urn:schemas-upnp-org:device-1-0"><specVersion><major>1</major><minor>0</minor></specVersion>
<device><deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>
<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType>
<serviceList><service><serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>
<controlURL>/cif</controlURL><SCPDURL>/cif.xml</SCPDURL></service></serviceList>
<deviceList><device><deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>
<serviceList><service><serviceType>urn:schemas-upnp-org:service:WANIPConnection:1</serviceType>
<controlURL>/ctl</controlURL><SCPDURL>/ip.xml</SCPDURL></service></serviceList>
</device></deviceList></device></deviceList></device></root>"""


def soap(action, body):
    return (b'<?xml version="1.0"?><s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/">'
            b'<s:Body><u:' + action + b'Response xmlns:u="urn:schemas-upnp-org:service:'
            b'WANIPConnection:1">' + body + b'</u:' + action + b'Response></s:Body></s:Envelope>')


def answer_http(conn):
    conn.settimeout(5)
    request = b""
    try:
        while b"\r\n\r\n" not in request and len(request) < 65536:
            chunk = conn.recv(4096)
            if not chunk:
                return
            request += chunk
        head = request.split(b"\r\n\r\n")[0]
        path = head.split(b" ")[1] if b" " in head else b"/"
        if path == b"/desc.xml" and MODE != "notanaddress":
            hostile_description(conn)
            return
        body = DESC
        if path == b"/ctl":
            action = b""
            for line in head.split(b"\r\n"):
                if line.lower().startswith(b"soapaction:"):
                    action = line.split(b"#")[-1].strip(b'" ')
            if action == b"GetStatusInfo":
                body = soap(action, b"<NewConnectionStatus>Connected</NewConnectionStatus>")
            elif action == b"GetExternalIPAddress":
                body = soap(action, b"<NewExternalIPAddress>11.22.33.1&lt;b&gt;"
                            b"</NewExternalIPAddress>")
            else:
                body = soap(action, b"")
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                     + str(len(body)).encode() + b"\r\nConnection: close\r\n\r\n" + body)
    except OSError:
        pass
    finally:
        conn.close()


def hostile_description(conn):
    if MODE == "malformed":
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 40\r\n\r\n<root><device><<<\x00\xff</dev")
        return
    if MODE == "oversized":
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 200000000\r\n\r\n")
    else:
        conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<root>")
    block = b"<device>" * 8192
    while time.time() < DEADLINE:
        if MODE == "slow":
            conn.sendall(b"<")
            time.sleep(1)
        else:
            conn.sendall(block)


def http_server(listener):
    while time.time() < DEADLINE:
        listener.settimeout(0.5)
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=answer_http, args=(conn,), daemon=True).start()


def ssdp_server(port):
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    udp.bind(("", 1900))
    group = socket.inet_aton("239.255.255.250") + socket.inet_aton(LAN)
    udp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, group)
    udp.settimeout(0.5)
    while time.time() < DEADLINE:
        try:
            data, sender = udp.recvfrom(2048)
        except socket.timeout:
            continue
        if data.startswith(b"M-SEARCH"):
            udp.sendto(b"HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\n"
                       b"ST: urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\n"
                       b"USN: uuid:hostile::urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\n"
                       b"LOCATION: http://" + LAN.encode() + b":" + str(port).encode()
                       + b"/desc.xml\r\n\r\n", sender)


def natpmp_server():
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind((LAN, 5351))
    udp.settimeout(0.5)
    while time.time() < DEADLINE:
        try:
            data, sender = udp.recvfrom(1100)
        except socket.timeout:
            continue
        # A reply of the wrong version, then one cut short.
        udp.sendto(struct.pack("!BBHI", 7, 128, 0, 0), sender)
        udp.sendto(b"\x00\x82", sender)


def main():
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((LAN, 0))
    listener.listen(16)
    port = listener.getsockname()[1]
    threading.Thread(target=http_server, args=(listener,), daemon=True).start()
    threading.Thread(target=natpmp_server, daemon=True).start()
    print("ready", flush=True)
    ssdp_server(port)


main()
