"""Loopback servers for the Python tests, started so that none outlives its test.

start_server() launches a script that prints its port as the first line of stdout (the feed
site, the blog service, the proxy), registers its clean-up on the test at once (before anything
else can fail), and makes the kernel kill it when the test program dies, as the C++ helper
(loopback_process.cpp) does. A server that prints no port in time fails the set-up instead of
hanging it.
"""

import ctypes
import os
import select
import signal
import subprocess

_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def _die_with(parent):
    def arm():
        _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)
        # The parent may have gone before the line above: then nobody would ever stop us.
        if os.getppid() != parent:
            os._exit(127)
    return arm


def stop(process):
    """Ends a started server and reaps it; harmless when it is gone already."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    if process.stdout:
        process.stdout.close()


def start_server(test, command, timeout=15):
    """Starts `command`, ties its end to `test` (addCleanup) and returns (process, port)."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                               preexec_fn=_die_with(os.getpid()))
    test.addCleanup(stop, process)
    line = b''
    while not line.endswith(b'\n'):
        ready, _, _ = select.select([process.stdout], [], [], timeout)
        if not ready:
            raise RuntimeError('%s printed no port within %d s' % (command[1:2], timeout))
        part = os.read(process.stdout.fileno(), 64)
        if not part:
            raise RuntimeError('%s ended before printing its port (status %s)'
                               % (command[1:2], process.wait()))
        line += part
    return process, int(line.split(b'\n', 1)[0])
