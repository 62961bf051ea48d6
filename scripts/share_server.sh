# A real SMB share for the share step and the append race: Debian's Samba server (smbd) on the
# loopback address of a network namespace of its own, serving a temporary folder, mounted
# through FUSE with smbnetfs (the kernel here may have no SMB client; a school PC's own client
# speaks the same protocol). Everything started here is stopped by its process id.
#   source scripts/share_server.sh
#   share_start WORK_DIR  sets SHARE_FOLDER (the share as the PCs see it, through the mount)
#                         and SHARE_SERVER_FOLDER (the folder smbd serves); returns 1 with
#                         SHARE_SKIP_REASON set when it cannot run here
#   share_stop            unmounts and stops what share_start started (safe to call twice)
# shellcheck shell=bash

SHARE_NETNS=""
SHARE_SMBD_PID=""
SHARE_CLIENT_PID=""
SHARE_MOUNT=""
SHARE_FOLDER=""
SHARE_SERVER_FOLDER=""
SHARE_SKIP_REASON=""
SHARE_PASSWORD="kagaku-share"

# Runs a command in the share's network namespace (or as it is, without one).
share_in_netns() {
    if [ -n "$SHARE_NETNS" ]; then
        nsenter --net="/run/netns/$SHARE_NETNS" "$@"
    else
        "$@"
    fi
}

share_start() {
    local work="$1"
    if [ "$(id -u)" -ne 0 ]; then
        SHARE_SKIP_REASON="not root (smbd and the FUSE mount need root here)"
        return 1
    fi
    if [ ! -c /dev/fuse ]; then
        SHARE_SKIP_REASON="no /dev/fuse"
        return 1
    fi
    local tool
    for tool in smbd smbpasswd smbnetfs fusermount nsenter; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            SHARE_SKIP_REASON="$tool is not installed"
            return 1
        fi
    done
    mkdir -p "$work"/{served,private,lock,state,cache,pid,log,client/.smb,mnt}
    SHARE_SERVER_FOLDER="$work/served"
    SHARE_MOUNT="$work/mnt"

    # A network namespace with only its own loopback: port 445 there is ours alone.
    local ns="kagaku-share-$$"
    if command -v ip >/dev/null 2>&1 && ip netns add "$ns" 2>/dev/null; then
        SHARE_NETNS="$ns"
        ip netns exec "$ns" ip link set lo up
    elif share_in_netns bash -c 'exec 3<>/dev/tcp/127.0.0.1/445' 2>/dev/null; then
        SHARE_SKIP_REASON="no network namespace, and port 445 of this machine is taken"
        return 1
    fi

    cat >"$work/smb.conf" <<CONF
[global]
    server role = standalone server
    workgroup = JUKU
    interfaces = lo
    bind interfaces only = yes
    smb ports = 445
    disable netbios = yes
    server min protocol = SMB2_10
    private dir = $work/private
    lock directory = $work/lock
    state directory = $work/state
    cache directory = $work/cache
    pid directory = $work/pid
    ncalrpc dir = $work/state/ncalrpc
    log file = $work/log/smbd.log
    passdb backend = tdbsam:$work/private/passdb.tdb
    load printers = no
    printcap name = /dev/null
    disable spoolss = yes
    smbd profiling level = count
    unix charset = UTF-8
[juku]
    path = $SHARE_SERVER_FOLDER
    read only = no
    valid users = root
CONF
    # The server's own password database, in the work folder only.
    printf '%s\n%s\n' "$SHARE_PASSWORD" "$SHARE_PASSWORD" |
        smbpasswd -c "$work/smb.conf" -s -a root >/dev/null
    # Started without a shell function between, so that $! is smbd's own process id; smbd makes
    # itself a process group of its own, which it signals as it stops (never this script's).
    ${SHARE_NETNS:+nsenter "--net=/run/netns/$SHARE_NETNS"} \
        smbd --foreground --configfile="$work/smb.conf" \
        </dev/null >"$work/log/smbd.out" 2>&1 &
    SHARE_SMBD_PID=$!

    # The client: its configuration in a home folder of its own.
    cat >"$work/client/.smb/smbnetfs.conf" <<CONF
auth "127.0.0.1/juku" "root" "$SHARE_PASSWORD"
smb_query_browsers "false"
show_hidden_hosts "true"
CONF
    chmod 600 "$work/client/.smb/smbnetfs.conf"
    cat >"$work/client/.smb/smb.conf" <<CONF
[global]
    client min protocol = SMB2_10
    disable netbios = yes
    unix charset = UTF-8
CONF
    local _
    for _ in $(seq 1 50); do
        share_in_netns bash -c 'exec 3<>/dev/tcp/127.0.0.1/445' 2>/dev/null && break
        kill -0 "$SHARE_SMBD_PID" 2>/dev/null || break
        sleep 0.1
    done
    if ! kill -0 "$SHARE_SMBD_PID" 2>/dev/null; then
        SHARE_SKIP_REASON="smbd did not start: $(tail -3 "$work/log/smbd.out" | tr '\n' ' ')"
        return 1
    fi
    ${SHARE_NETNS:+nsenter "--net=/run/netns/$SHARE_NETNS"} env HOME="$work/client" smbnetfs "$SHARE_MOUNT" -f \
        -o "config=$work/client/.smb/smbnetfs.conf" </dev/null >"$work/log/smbnetfs.out" 2>&1 &
    SHARE_CLIENT_PID=$!
    SHARE_FOLDER="$SHARE_MOUNT/127.0.0.1/juku"
    for _ in $(seq 1 100); do
        if [ -d "$SHARE_FOLDER" ] && touch "$SHARE_FOLDER/.probe" 2>/dev/null; then
            local seen=no
            [ -e "$SHARE_SERVER_FOLDER/.probe" ] && seen=yes
            rm -f "$SHARE_FOLDER/.probe"
            [ "$seen" = yes ] && return 0
            SHARE_SKIP_REASON="a file written through the mount did not reach the served folder"
            return 1
        fi
        kill -0 "$SHARE_CLIENT_PID" 2>/dev/null || break
        sleep 0.1
    done
    SHARE_SKIP_REASON="the FUSE mount did not come up: $(tail -3 "$work/log/smbnetfs.out" | tr '\n' ' ')"
    return 1
}

share_stop() {
    if [ -n "$SHARE_MOUNT" ] && grep -q " $SHARE_MOUNT " /proc/mounts 2>/dev/null; then
        fusermount -u "$SHARE_MOUNT" 2>/dev/null || fusermount -uz "$SHARE_MOUNT" 2>/dev/null || true
    fi
    local pid
    for pid in "$SHARE_CLIENT_PID" "$SHARE_SMBD_PID"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    SHARE_CLIENT_PID=""
    SHARE_SMBD_PID=""
    if [ -n "$SHARE_NETNS" ]; then
        ip netns delete "$SHARE_NETNS" 2>/dev/null || true
        SHARE_NETNS=""
    fi
}

# SMB requests the server has answered so far (its profile counters), one "name count" a line.
share_server_requests() {
    smbstatus --configfile="$1/smb.conf" --profile 2>/dev/null |
        awk -F: '/^smb2_[a-z_]+_count/ { gsub(/ /, "", $2); sub(/_count/, "", $1); print $1, $2 }'
}
