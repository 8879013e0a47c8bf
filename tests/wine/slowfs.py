# A passthrough of SOURCE at MOUNT whose reads are slow, as from a USB stick or a network share:
# 10 MB/s, or N MB/s under a top folder named N. Writes go at full speed, so a side file can be
# written beside its input. Run without threads, so the sleeps add up as on one slow device, and
# without the page cache, so a second pass over a file open since the first is as slow as the first.
# Usage: /usr/bin/python3 slowfs.py SOURCE MOUNT
import errno, os, sys, time
from fusepy import FUSE, FuseOSError, Operations

STAT = ('st_mode', 'st_size', 'st_nlink', 'st_uid', 'st_gid', 'st_atime', 'st_mtime', 'st_ctime')
STATFS = ('f_bsize', 'f_frsize', 'f_blocks', 'f_bfree', 'f_bavail', 'f_files', 'f_ffree', 'f_namemax')


class SlowReads(Operations):
    # Calls that take the real path first and need nothing else.
    same = {'open': os.open, 'truncate': os.truncate, 'unlink': os.unlink, 'mkdir': os.mkdir,
            'rmdir': os.rmdir, 'chmod': os.chmod, 'utimens': os.utime}

    def __call__(self, op, path, *args):
        real = os.path.join(sys.argv[1], path.lstrip('/'))
        try:
            if op in self.same:
                return self.same[op](real, *args[:1]) or 0
            if op == 'getattr':
                return {k: getattr(os.lstat(real), k) for k in STAT}
            if op == 'statfs':
                return {k: getattr(os.statvfs(real), k) for k in STATFS}
            if op == 'readdir':
                return ['.', '..'] + os.listdir(real)
            if op == 'create':
                return os.open(real, os.O_WRONLY | os.O_CREAT | os.O_EXCL, args[0])
            if op == 'rename':
                return os.rename(real, os.path.join(sys.argv[1], args[0].lstrip('/'))) or 0
            if op == 'read':
                top = path.split('/')[1]
                time.sleep(args[0] / ((int(top) if top.isdigit() else 10) * 1e6))
                return os.pread(args[2], args[0], args[1])
            if op == 'write':
                return os.pwrite(args[2], args[0], args[1])
            if op == 'release':
                return os.close(args[0]) or 0
            if op in ('flush', 'fsync', 'init', 'destroy', 'opendir', 'releasedir', 'access'):
                return 0
        except OSError as e:
            raise FuseOSError(e.errno)
        raise FuseOSError(errno.ENOSYS)


FUSE(SlowReads(), sys.argv[2], foreground=True, nothreads=True, big_writes=True, direct_io=True)
