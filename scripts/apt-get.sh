# Sourced by the set-up scripts: apt-get as root (through sudo only when not root already),
# waiting for another package manager to finish instead of failing at once. A fresh desktop
# runs its first updates in the background for a while after the first login, and those
# hold the apt and dpkg locks.
#   kvu_installed PACKAGE   true when PACKAGE's files are on the machine
#   kvu_apt_get ARGS...     apt-get ARGS as root; waits up to KVU_APT_WAIT seconds
#                           (default 900) for the locks

# Installed, also when dpkg has not finished configuring it (a trigger pending after
# another install, or an install that was interrupted after unpacking): the files are
# there, and installing it again would not change that but would need the lock.
kvu_installed() {
    local status
    status=$(dpkg-query -W -f='${db:Status-Want} ${db:Status-Status}' "$1" 2>/dev/null) || return 1
    case $status in
    install\ installed | install\ triggers-pending | install\ triggers-awaited | \
        install\ half-configured | install\ unpacked | hold\ installed | hold\ triggers-pending | \
        hold\ triggers-awaited | hold\ half-configured | hold\ unpacked) return 0 ;;
    esac
    return 1
}

kvu_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "setup: installing packages needs root: run this as root, or install sudo" >&2
        return 1
    fi
}

kvu_apt_get() {
    local wait=${KVU_APT_WAIT:-900} log rc said=0 locked
    local deadline=$((SECONDS + wait)) span="$wait s"
    [ "$wait" -lt 120 ] || span="$((wait / 60)) min"
    log=$(mktemp)
    while :; do
        rc=0
        # Lock::Timeout lets apt-get itself wait a little for the dpkg lock; the loop
        # covers the package lists' lock too, which apt-get update does not wait for.
        kvu_as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get -o DPkg::Lock::Timeout=30 "$@" 2>"$log" || rc=$?
        if [ $rc = 0 ]; then
            grep -v '^$' "$log" >&2 || true
            rm -f "$log"
            return 0
        fi
        locked=0
        grep -qE 'Could not get lock|Unable to acquire the dpkg frontend lock|Unable to lock' \
            "$log" && locked=1
        if [ $locked = 1 ] && [ $SECONDS -lt $deadline ]; then
            if [ $said = 0 ]; then
                echo "setup: another program is installing packages (apt, or the desktop's" \
                     "updates): waiting for it to finish, at most $span" \
                     "(KVU_APT_WAIT=SECONDS changes that)" >&2
                said=1
            fi
            sleep 10
            continue
        fi
        cat "$log" >&2
        rm -f "$log"
        [ $locked = 0 ] || echo "setup: the package lock was still held after $span" >&2
        return $rc
    done
}
