#!/bin/sh
# A home network behind a router, made of network namespaces, for the mapping
# tests. Every address lives on a veth inside the lab; nothing routes out.
#
#   lab.sh up LAB single|double   make the namespaces LAB-home, LAB-home2,
#                                 LAB-router, LAB-outside (and LAB-isp for double)
#   lab.sh config LAB upnp natpmp write LAB's miniupnpd.conf (yes/no each)
#   lab.sh rules LAB              the router's port forwards, one per line
#   lab.sh down LAB               remove everything the lab made
#
# Layout (single): home 192.168.77.10 and home2 192.168.78.10 behind the router
# (192.168.77.1, 192.168.78.1); the router's outside address 11.22.33.1 faces
# outside 11.22.33.2. miniupnpd refuses private and documentation ranges as an
# outside address, so the outside link uses a public-looking range that exists
# only here. Double: the router's outside is 100.64.7.2, behind LAB-isp, which
# does NAT again onto 11.22.33.1.
set -eu
command="$1"
lab="$2"
dir="/tmp/$lab"

inns() { ns="$1"; shift; ip netns exec "$lab-$ns" "$@"; }

link() { # link NS1 IF1 ADDR1 NS2 IF2 ADDR2
    ip link add "$2" netns "$lab-$1" type veth peer name "$5" netns "$lab-$4"
    inns "$1" ip addr add "$3" dev "$2"
    inns "$4" ip addr add "$6" dev "$5"
    inns "$1" ip link set "$2" up
    inns "$4" ip link set "$5" up
}

case "$command" in
up)
    mode="$3"
    mkdir -p "$dir"
    spaces="home home2 router outside"
    [ "$mode" = double ] && spaces="$spaces isp"
    for ns in $spaces; do
        ip netns add "$lab-$ns"
        inns "$ns" ip link set lo up
    done
    link home eth0 192.168.77.10/24 router lan1 192.168.77.1/24
    link home2 eth0 192.168.78.10/24 router lan2 192.168.78.1/24
    inns home ip route add default via 192.168.77.1
    inns home2 ip route add default via 192.168.78.1
    if [ "$mode" = double ]; then
        link router wan 100.64.7.2/24 isp down0 100.64.7.1/24
        link isp up0 11.22.33.1/24 outside eth0 11.22.33.2/24
        inns router ip route add default via 100.64.7.1
        inns isp sysctl -qw net.ipv4.ip_forward=1
        inns isp nft -f - <<NFT
table ip lab {
    chain postrouting { type nat hook postrouting priority 100; oifname "up0" masquerade; }
}
NFT
    else
        link router wan 11.22.33.1/24 outside eth0 11.22.33.2/24
    fi
    inns router sysctl -qw net.ipv4.ip_forward=1
    # The chains miniupnpd fills, by the names it looks for, and a NAT for the home.
    inns router nft -f - <<NFT
table inet filter {
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        iifname { "lan1", "lan2" } oifname { "lan1", "lan2", "wan" } accept
        jump miniupnpd
    }
    chain miniupnpd { }
    chain prerouting {
        type nat hook prerouting priority -100; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority 100; policy accept;
        jump postrouting_miniupnpd
        oifname "wan" masquerade
    }
    chain prerouting_miniupnpd { }
    chain postrouting_miniupnpd { }
}
NFT
    ;;
config)
    cat > "$dir/miniupnpd.conf" <<CONF
ext_ifname=wan
listening_ip=lan1
listening_ip=lan2
port=0
enable_upnp=$3
enable_natpmp=$4
secure_mode=yes
system_uptime=yes
notify_interval=600
clean_ruleset_interval=0
uuid=4d696e69-5570-6e50-4c61-622000000001
lease_file=$dir/leases
allow 1024-65535 192.168.0.0/16 1024-65535
deny 0-65535 0.0.0.0/0 0-65535
CONF
    echo "$dir/miniupnpd.conf"
    ;;
rules)
    inns router nft list chain inet filter prerouting_miniupnpd | grep dnat || true
    ;;
down)
    for ns in home home2 router outside isp; do
        ip netns pids "$lab-$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null || true
        ip netns del "$lab-$ns" 2>/dev/null || true
    done
    rm -rf "$dir"
    ;;
*)
    echo "usage: $0 up|config|rules|down LAB ..." >&2
    exit 2
    ;;
esac
