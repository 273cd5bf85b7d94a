# Runs a command on a terminal of its own, as if typed there (Wine's console
# then runs on that terminal), 400 columns wide so that no line wraps:
#
#   console_ctrl_c.py TEXT SECONDS LIMIT COMMAND...
#
# Once TEXT is on the terminal it waits SECONDS, presses Ctrl+C and waits up
# to LIMIT seconds for the command to end. Writes what the terminal showed,
# without its control sequences, and exits with the command's status (124
# when it did not end).
import fcntl, os, pty, re, select, struct, sys, termios, time

wanted, settle, limit, command = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4:]
pid, terminal = pty.fork()
if pid == 0:
    fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 400, 0, 0))
    os.execvp(command[0], command)
shown, status = b"", None


def text():
    return re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07", "", shown.decode("utf-8", "replace"))


def ended():
    global status
    if status is None:
        done, code = os.waitpid(pid, os.WNOHANG)
        if done:
            status = os.waitstatus_to_exitcode(code)
    return status is not None


def read(seconds, until=lambda: False):
    """What the terminal shows, for `seconds` or until `until()` holds. Once
    every program on the terminal has ended, reading it fails."""
    global shown
    end = time.monotonic() + seconds
    while time.monotonic() < end and not until():
        if select.select([terminal], [], [], 0.1)[0]:
            try:
                shown += os.read(terminal, 65536)
            except OSError:
                time.sleep(0.1)


read(60, lambda: wanted in text() or ended())
if not ended():
    read(settle)
    os.write(terminal, b"\x03")
    read(limit, ended)
sys.stdout.write(text())
if not ended():
    os.kill(pid, 9)
    status = 124
sys.exit(status)
