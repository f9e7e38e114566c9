"""A file system that answers everything at once but the question of its
free space, which it never answers to a program: what a drive looks like
whose server has stopped answering. Look-ups, attributes, opens and listings
are answered (a file system that blocked those would freeze Wine's server
and every process of the prefix). So is statfs when Wine's own server asks:
it asks once per device, on the first open of a file there, and every
process of the prefix would wait with it. Every other statfs waits for ever.

usage: never_answers_statfs.py MOUNTPOINT   (runs until it is killed)
"""

import errno
import stat
import sys
import threading

from fusepy import FUSE, Operations, fuse_get_context


def asked_by_wine_server():
    pid = fuse_get_context()[2]
    try:
        with open(f"/proc/{pid}/comm", "rb") as comm:
            return comm.read().strip().startswith(b"wineserver")
    except OSError:
        return False


class NeverAnswersStatfs(Operations):
    def getattr(self, path, fh=None):
        if path == "/":
            return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, st_size=0, st_ctime=0, st_mtime=0, st_atime=0)
        raise OSError(errno.ENOENT, "")

    def readdir(self, path, fh):
        return [".", ".."]

    def statfs(self, path):
        if asked_by_wine_server():
            return dict(f_bsize=4096, f_frsize=4096, f_blocks=262144, f_bfree=131072, f_bavail=131072, f_files=1024,
                        f_ffree=512, f_namemax=255)
        threading.Event().wait()


if __name__ == "__main__":
    FUSE(NeverAnswersStatfs(), sys.argv[1], foreground=True, nothreads=False, allow_other=True)
