"""demo-record's entry: reads the command line and runs the recording here,
on Slurm, or one task of it."""
import os
import signal
import sys

from . import local, options, plan, slurm, status
from .options import Refused


def stop_on_signal(signum, frame):
    """SIGTERM and SIGHUP (a closed terminal or ssh session) stop a run as
    Ctrl-C does: its captures end and what is finished stays."""
    raise KeyboardInterrupt()


def output_writable(path):
    folder = os.path.dirname(path)
    if not os.path.isdir(folder):
        raise Refused("cannot write %s: the folder %s does not exist" % (path, folder), 1)
    if not os.access(folder, os.W_OK):
        raise Refused("cannot write %s: the folder %s is not writable" % (path, folder), 1)


def run(argv):
    opts = options.parse(argv)
    if opts.help:
        sys.stdout.write(options.USAGE)
        return 0
    if opts.task or opts.join_only or opts.follow or opts.status:
        record = plan.read_record(opts.work)
        record["work"] = opts.work
        if opts.status:
            sys.stdout.write(status.report(record))
            return 0
        if opts.task:
            return slurm.run_task(record)
        if opts.join_only:
            return slurm.run_join(record)
        return slurm.follow(record, opts.quiet)
    capture = opts.capture or options.default_capture()
    record = plan.make_record(opts, capture)
    output_writable(opts.output)
    plan.prepare_work(opts.work, record)
    record["work"] = opts.work
    if opts.slurm:
        return slurm.submit(record, opts)
    return local.run_local(record, opts.jobs, opts.quiet)


def main():
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGHUP, stop_on_signal)
    try:
        code = run(sys.argv[1:])
    except Refused as e:
        sys.stderr.write("%s: %s\n" % (options.PROGRAM, e))
        code = e.code
    except KeyboardInterrupt:
        code = 130
    sys.stdout.flush()
    return code
