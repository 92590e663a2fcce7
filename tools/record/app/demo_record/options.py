"""The command line of demo-record: its own options, and demo-capture's, which
are passed on to every piece."""
import os
import shlex
import sys

PROGRAM = "demo-record"

# demo-capture's options that a recording in pieces passes on, and whether
# each takes a value. --frames and --time choose what the whole recording
# covers; the pieces get ranges of their own.
CAPTURE_OPTIONS = {
    "--rate": True, "--size": True, "--msaa": True, "--data": True, "--preset": True,
    "--supersample": True, "--filter": True, "--frames": True, "--time": True,
    "--lossless": False, "--warm-up": False,
}
# demo-capture's options that make no sense for a recording in pieces.
NOT_IN_PIECES = {"--png": "PNG frames", "--at": "single frames", "--no-audio": "a video without sound",
                 "--join": "a join of pieces made elsewhere", "--print-frames": "a list of frames"}

USAGE = """usage: demo-record [demo-capture's options] --pieces N --work DIR -o VIDEO.mp4 [--jobs K]
       demo-record [demo-capture's options] --pieces N --work DIR -o VIDEO.mp4 --slurm [--resume]
                   [--partition P] [--time-limit T] [--cpus-per-task C] [--sbatch-args "..."]
       demo-record --follow --work DIR
Records the demo in N pieces of consecutive frames, each its own H.264 encode,
and joins them into one MP4 without encoding the pictures again; the soundtrack
is encoded once for the whole length. Every frame is the frame one
demo-capture would draw. Pieces are kept in the work folder: a piece already
finished (and checked against the checksum written beside it) is not drawn
again, so an interrupted recording resumes where it stopped.

  --pieces N          how many pieces (each at least a second long)
  --work DIR          the folder of the pieces, their checksums and logs
  -o, --output FILE   the video (.mp4), written whole or not at all
  --jobs K            pieces drawn at the same time on this machine
                      (default: the number of processors)
  --retries R         a piece that fails is tried again R times (default 2)
  --slurm             submit the pieces as a Slurm array job (one piece a task)
                      and the join as a job after it, then follow them until
                      the video is there (Ctrl-C stops following, not the jobs)
  --resume            with --slurm: submit only the pieces not yet finished
  --partition P, --time-limit T, --cpus-per-task C
                      passed to sbatch (--partition, --time, --cpus-per-task)
  --sbatch-args "..." more sbatch options, for the array and the join alike
  --follow            follow the jobs submitted for the work folder again
  --capture PATH      the demo-capture to run (default: the one beside this program)
  --quiet             no progress line
  -h, --help          this text

demo-capture's options taken: --rate, --size, --msaa, --data, --preset,
--supersample, --filter, --frames, --time, --lossless, --warm-up (see
demo-capture --help). With --slurm the programs, the data folder and the work
folder must be at the same paths on every node (a shared file system).
"""


class Refused(Exception):
    """A command line or a state that cannot be used; exit code `code`."""

    def __init__(self, message, code=2):
        super().__init__(message)
        self.code = code


class Options:
    def __init__(self):
        self.capture_args = []   # demo-capture's options, in the order given
        self.pieces = None
        self.jobs = os.cpu_count() or 1
        self.work = None
        self.output = None
        self.retries = 2
        self.slurm = False
        self.resume = False
        self.follow = False
        self.partition = None
        self.time_limit = None
        self.cpus_per_task = None
        self.sbatch_args = []
        self.capture = None
        self.quiet = False
        self.task = False        # a Slurm array task: the piece of SLURM_ARRAY_TASK_ID
        self.join_only = False   # the join alone (the Slurm join job runs it)
        self.jobs_given = False
        self.help = False


def refuse(problem, value=None):
    text = problem if value is None else "%s: '%s'" % (problem, value)
    raise Refused("%s\nTry '%s --help'." % (text, PROGRAM))


def whole_number(option, text, least):
    try:
        n = int(text, 10)
    except ValueError:
        refuse("bad %s (a whole number from %d)" % (option, least), text)
    if n < least or str(n) != text.strip():
        refuse("bad %s (a whole number from %d)" % (option, least), text)
    return n


def counting_from(least):
    return lambda option, text: whole_number(option, text, least)


def path(option, text):
    return os.path.abspath(text)


def word(option, text):
    return text


# demo-record's own options: the field each sets and how its value is read.
SWITCHES = {"--slurm": "slurm", "--resume": "resume", "--follow": "follow", "--quiet": "quiet",
            "--task": "task", "--join-only": "join_only"}
VALUES = {"--pieces": ("pieces", counting_from(1)), "--jobs": ("jobs", counting_from(1)),
          "--retries": ("retries", counting_from(0)), "--work": ("work", path),
          "-o": ("output", path), "--output": ("output", path), "--capture": ("capture", path),
          "--partition": ("partition", word), "--time-limit": ("time_limit", word),
          "--cpus-per-task": ("cpus_per_task", counting_from(1))}


def capture_option_value(args, opts, arg, value):
    if arg == "--data":
        value = os.path.abspath(value)  # the same folder from every node
    opts.capture_args += [arg, value]


def parse(argv):
    opts = Options()
    i = 0

    def value(arg):
        nonlocal i
        if i >= len(argv):
            refuse(arg + " needs a value")
        v = argv[i]
        i += 1
        return v

    while i < len(argv):
        arg = argv[i]
        i += 1
        if arg in ("-h", "--help"):
            opts.help = True
            return opts
        if arg in CAPTURE_OPTIONS:
            if CAPTURE_OPTIONS[arg]:
                capture_option_value(argv, opts, arg, value(arg))
            else:
                opts.capture_args.append(arg)
        elif arg in NOT_IN_PIECES:
            refuse("a recording in pieces makes one video; %s would make %s" % (arg, NOT_IN_PIECES[arg]))
        elif arg in SWITCHES:
            setattr(opts, SWITCHES[arg], True)
        elif arg in VALUES:
            field, read = VALUES[arg]
            setattr(opts, field, read(arg, value(arg)))
            opts.jobs_given = opts.jobs_given or arg == "--jobs"
        elif arg == "--sbatch-args":
            opts.sbatch_args += shlex.split(value(arg))
        else:
            refuse("unknown option", arg)
    return check(opts)


def check(opts):
    if opts.work is None:
        refuse("--work DIR is needed: the folder that keeps the pieces")
    if opts.task or opts.join_only or opts.follow:
        return opts  # the rest comes from the work folder
    if opts.pieces is None:
        refuse("--pieces N is needed: how many pieces to record")
    if opts.output is None:
        refuse("-o VIDEO.mp4 is needed: the video to write")
    if not opts.output.endswith(".mp4") or len(os.path.basename(opts.output)) <= 4:
        refuse("the video must be an .mp4 file, not", opts.output)
    if opts.slurm and opts.jobs_given:
        refuse("--jobs is for this machine; on Slurm every piece is a task of its own")
    if not opts.slurm:
        for name, given in (("--resume", opts.resume), ("--partition", opts.partition),
                            ("--time-limit", opts.time_limit), ("--cpus-per-task", opts.cpus_per_task),
                            ("--sbatch-args", opts.sbatch_args)):
            if given:
                what = ("a recording on this machine always resumes" if name == "--resume"
                        else "it is passed to sbatch")
                refuse("%s needs --slurm (%s)" % (name, what))
    return opts


def default_capture():
    """demo-capture beside this program (the build folder, or the installed bin)."""
    here = os.path.dirname(os.path.abspath(sys.argv[0]))
    return os.path.join(here, "demo-capture")
