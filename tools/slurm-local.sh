#!/bin/sh
# A one-node Slurm cluster on this machine, all of it in one folder: munge,
# slurmctld and slurmd from Debian's packages (installed when missing), no
# systemd, no cgroups, private ports. For trying demo-record --slurm and for
# its tests.
#   tools/slurm-local.sh start DIR   starts it, waits until the node is idle and
#                                    prints the line that points sbatch, squeue
#                                    and sinfo at it
#   tools/slurm-local.sh stop DIR    cancels its jobs and stops exactly the
#                                    processes it started, by their pids
set -eu
here=$(cd "$(dirname "$0")" && pwd)
usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
mkdir -p "$2"
dir=$(cd "$2" && pwd)
conf=$dir/slurm.conf
limit=${SLURM_LOCAL_WAIT:-60}

# pid_alive FILE: the process whose pid FILE holds is running.
pid_alive() { [ -s "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# end_pid FILE: ends that process (TERM, then KILL after 10 s) and waits for it.
end_pid() {
    pid_alive "$1" || return 0
    pid=$(cat "$1")
    kill "$pid" 2>/dev/null || true
    n=0
    while kill -0 "$pid" 2>/dev/null && [ $n -lt 100 ]; do sleep 0.1; n=$((n + 1)); done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$1"
}

# Two ports nobody listens on now, below the range the kernel hands out to
# outgoing connections (which could take one before the daemons bind it); a
# start whose daemon still finds its port taken is tried again on others.
free_ports() {
    python3 - <<'PY'
import random, socket
low = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
found = []
while len(found) < 2:
    port = random.randrange(10000, max(10001, low))
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", port))
        if port not in found:
            found.append(port)
    except OSError:
        pass
    finally:
        s.close()
print(*found)
PY
}

# A value for slurm.conf: in double quotes, which the configuration's reader
# takes around a path with spaces.
conf_value() {
    case $1 in
        *\"*) echo "the cluster's folder may hold no double quote: $1" >&2; exit 1 ;;
    esac
    printf '"%s"' "$1"
}

# A word for sh, in single quotes.
sh_quote() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; }

start() {
    "$here/need-packages.sh" slurmctld slurmd slurm-client munge python3
    pid_alive "$dir/run/slurmctld.pid" && { echo "a cluster already runs in $dir" >&2; exit 1; }
    # munged serves only a socket whose every folder above it others may enter.
    chmod 755 "$dir"
    d=$(dirname "$dir")
    while [ "$d" != / ]; do
        perms=$(stat -c %A "$d")
        case $perms in
            ?????????x|?????????t) ;;
            *) echo "munge needs every folder above its socket open to others: $d is $perms" \
                    "(chmod 755 it, or choose another folder)" >&2; exit 1 ;;
        esac
        d=$(dirname "$d")
    done
    mkdir -p "$dir/munge" "$dir/run" "$dir/log" "$dir/state" "$dir/spool"
    chmod 755 "$dir/munge" "$dir/run" "$dir/log" "$dir/state" "$dir/spool"
    [ -f "$dir/munge/munge.key" ] || mungekey --create --keyfile="$dir/munge/munge.key" --bits=1024
    chmod 400 "$dir/munge/munge.key"
    socket=$dir/munge/munge.socket
    munged --key-file="$dir/munge/munge.key" --socket="$socket" --pid-file="$dir/run/munged.pid" \
        --log-file="$dir/log/munged.log" --seed-file="$dir/munge/munge.seed"
    tries=0
    while ! start_daemons; do
        tries=$((tries + 1))
        if [ $tries -ge 3 ] || ! grep -q "Address already in use" "$dir/log/slurmctld.log" \
            "$dir/log/slurmd.log" 2>/dev/null; then
            echo "the local Slurm cluster in $dir did not come up (logs in $dir/log)" >&2
            tail -n 5 "$dir/log/slurmctld.log" "$dir/log/slurmd.log" >&2 2>/dev/null || true
            stop
            exit 1
        fi
    done
    echo "export SLURM_CONF=$(sh_quote "$conf")"
}

# Writes slurm.conf on two free ports and starts the daemons; false when they
# do not come up (their ports taken, or another fault in their logs).
start_daemons() {
    end_pid "$dir/run/slurmd.pid"
    end_pid "$dir/run/slurmctld.pid"
    rm -f "$dir/log/slurmctld.log" "$dir/log/slurmd.log"
    user=$(id -un)
    set -- $(free_ports)
    memory=$(awk '/^MemTotal:/ { print int($2 / 1024) }' /proc/meminfo)
    cat >"$conf" <<CONF
ClusterName=local
SlurmctldHost=localhost
SlurmctldPort=$1
SlurmdPort=$2
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=$(conf_value "socket=$socket")
MpiDefault=none
MailProg=/bin/true
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$(conf_value "$dir/log/jobcomp.txt")
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/backfill
ReturnToService=2
SlurmdTimeout=30
MinJobAge=3600
KillWait=5
StateSaveLocation=$(conf_value "$dir/state")
SlurmdSpoolDir=$(conf_value "$dir/spool/%n")
SlurmctldPidFile=$(conf_value "$dir/run/slurmctld.pid")
SlurmdPidFile=$(conf_value "$dir/run/slurmd.pid")
SlurmctldLogFile=$(conf_value "$dir/log/slurmctld.log")
SlurmdLogFile=$(conf_value "$dir/log/slurmd.log")
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
    # In the foreground (-D) as far as they know, in the background as far as
    # this script is concerned: their pids are what stop ends.
    slurmctld -D -i -f "$conf" >"$dir/log/slurmctld.out" 2>&1 &
    echo $! >"$dir/run/slurmctld.pid"
    slurmd -D -N localhost -f "$conf" >"$dir/log/slurmd.out" 2>&1 &
    echo $! >"$dir/run/slurmd.pid"
    n=0
    while [ "$(SLURM_CONF=$conf sinfo -h -o %t 2>/dev/null)" != idle ]; do
        if [ $n -ge $((limit * 5)) ] || ! pid_alive "$dir/run/slurmctld.pid" ||
            ! pid_alive "$dir/run/slurmd.pid"; then
            return 1
        fi
        sleep 0.2
        n=$((n + 1))
    done
}

stop() {
    if pid_alive "$dir/run/slurmctld.pid"; then
        export SLURM_CONF=$conf
        # Running job steps outlive a shutdown: cancel them first.
        scancel --user="$(id -un)" 2>/dev/null || true
        n=0
        while [ -n "$(squeue -h 2>/dev/null)" ] && [ $n -lt $((limit * 5)) ]; do
            sleep 0.2
            n=$((n + 1))
        done
        scontrol shutdown >/dev/null 2>&1 || true
    fi
    end_pid "$dir/run/slurmd.pid"
    end_pid "$dir/run/slurmctld.pid"
    end_pid "$dir/run/munged.pid"
}

case $action in
    start) start ;;
    stop) stop ;;
    *) usage ;;
esac
