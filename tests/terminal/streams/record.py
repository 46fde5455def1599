#!/usr/bin/env python3
"""Records what real programs send a terminal of 80 x 24 (xterm-256color)
into the files the comparison with libvterm reads: bash, less, top -b, vi
and vttest (Debian's vttest package, not needed by the tests). Run again to
refresh."""
import fcntl, os, pty, select, struct, subprocess, sys, termios, time

HERE = os.path.dirname(os.path.abspath(__file__))


def record(name, argv, keys=b"", settle=0.6, answers=None):
    pid, fd = pty.fork()
    if pid == 0:
        os.environ.update(TERM="xterm-256color", LANG="C.UTF-8", LINES="24", COLUMNS="80")
        os.execvp(argv[0], argv)
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 80, 0, 0))
    out = bytearray()

    def drain(seconds):
        end = time.time() + seconds
        while time.time() < end:
            ready, _, _ = select.select([fd], [], [], 0.05)
            if ready:
                try:
                    data = os.read(fd, 65536)
                except OSError:
                    return False
                if not data:
                    return False
                out.extend(data)
                # Queries answered as a terminal would (only those asked).
                for query, answer in (answers or {}).items():
                    if query in data:
                        os.write(fd, answer)
        return True

    drain(settle)
    for key in keys:
        os.write(fd, bytes([key]))
        if not drain(0.15):
            break
    while drain(0.5):
        pass
    os.waitpid(pid, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out)


prompt = r'\[\e[1;32m\]board\[\e[0m\]:\w\$ '
record("shell.bin", ["bash", "--norc", "--noprofile", "-i"],
       ("PS1='" + prompt + "'\rls --color=always -l /usr/include | head -50\r"
        "for i in $(seq 1 30); do printf '\\e[3%dmline %d\\e[0m of the log\\n' $((i % 8)) $i; done\r"
        "echo hi\x1b[A\x01\x1b[C\x1b[Cx\rexit\r").encode())
record("less.bin", ["less", "/usr/share/common-licenses/GPL-3"], b"   b/software\rnNgG?free\rq")
record("top.bin", ["sh", "-c", "top -b -n 2 -w 80 | head -60"])
record("vi.bin", ["vi", "-u", "NONE", "-N", "/usr/share/common-licenses/GPL-3"],
       b"\x06\x06\x02jjjjjddOinserted line\x1b:set nu\r\x06\x05\x05\x19Gkk:q!\r")
with open(os.path.join(HERE, "printf.bin"), "wb") as f:
    f.write(subprocess.run(["sh", os.path.join(HERE, "every_sequence.sh")], capture_output=True).stdout)
# vttest's first menu entry: its screens of cursor movements (the frame of
# E and + drawn with every move, autowrap, and the control characters
# inside sequences), each left with Enter, then its exit.
record("vttest.bin", ["vttest", "24x80.80"], b"1\r\r\r\r\r\r\r0\r", settle=1.0,
       answers={b"\x1b[0c": b"\x1b[?1;2c", b"\x1b[c": b"\x1b[?1;2c"})
