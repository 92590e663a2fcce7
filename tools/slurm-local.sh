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

# A port nobody listens on now.
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

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
    user=$(id -un)
    cat >"$conf" <<CONF
ClusterName=local
SlurmctldHost=localhost
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
MpiDefault=none
MailProg=/bin/true
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/filetxt
JobCompLoc=$dir/log/jobcomp.txt
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/backfill
ReturnToService=2
SlurmdTimeout=30
MinJobAge=3600
KillWait=5
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool/%n
SlurmctldPidFile=$dir/run/slurmctld.pid
SlurmdPidFile=$dir/run/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
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
            echo "the local Slurm cluster in $dir did not come up (logs in $dir/log)" >&2
            tail -n 5 "$dir/log/slurmctld.log" "$dir/log/slurmd.log" >&2 2>/dev/null || true
            stop
            exit 1
        fi
        sleep 0.2
        n=$((n + 1))
    done
    echo "export SLURM_CONF=$conf"
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
