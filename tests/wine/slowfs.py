# A passthrough file system whose reads are slow, as from a USB stick or a network share: it
# mirrors SOURCE at MOUNT, writes at full speed (so a side file can be written beside its input),
# and sleeps in every read. A top folder named after a rate ("3" for 3 MB/s) reads at that rate;
# everything else at 10 MB/s. Run without threads, so the sleeps add up as on a slow device.
# Usage: /usr/bin/python3 slowfs.py SOURCE MOUNT
import errno, os, sys, time
from fusepy import FUSE, FuseOSError, Operations


class SlowReads(Operations):
    def __init__(self, root):
        self.root = root

    def _real(self, path):
        return os.path.join(self.root, path.lstrip('/'))

    def __call__(self, op, path, *args):
        if not hasattr(self, op):
            raise FuseOSError(errno.ENOSYS)
        try:
            return getattr(self, op)(path, *args)
        except OSError as e:
            raise FuseOSError(e.errno)

    def getattr(self, path, fh=None):
        st = os.lstat(self._real(path))
        return {k: getattr(st, k) for k in ('st_mode', 'st_size', 'st_nlink', 'st_uid', 'st_gid',
                                            'st_atime', 'st_mtime', 'st_ctime')}

    def readdir(self, path, fh):
        return ['.', '..'] + os.listdir(self._real(path))

    def statfs(self, path):
        st = os.statvfs(self._real(path))
        return {k: getattr(st, k) for k in ('f_bsize', 'f_frsize', 'f_blocks', 'f_bfree',
                                            'f_bavail', 'f_files', 'f_ffree', 'f_namemax')}

    def open(self, path, flags):
        return os.open(self._real(path), flags)

    def create(self, path, mode, fi=None):
        return os.open(self._real(path), os.O_WRONLY | os.O_CREAT | os.O_EXCL, mode)

    def read(self, path, size, offset, fh):
        top = path.lstrip('/').split('/')[0]
        rate = (int(top) if top.isdigit() else 10) * 1_000_000
        time.sleep(size / rate)
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        return os.pwrite(fh, data, offset)

    def truncate(self, path, length, fh=None):
        os.truncate(self._real(path), length)

    def release(self, path, fh):
        os.close(fh)

    def flush(self, path, fh):
        return 0

    def fsync(self, path, datasync, fh):
        os.fsync(fh)

    def unlink(self, path):
        os.unlink(self._real(path))

    def rename(self, old, new):
        os.rename(self._real(old), self._real(new))

    def mkdir(self, path, mode):
        os.mkdir(self._real(path), mode)

    def rmdir(self, path):
        os.rmdir(self._real(path))

    def chmod(self, path, mode):
        os.chmod(self._real(path), mode)

    def utimens(self, path, times=None):
        os.utime(self._real(path), times)


if __name__ == '__main__':
    FUSE(SlowReads(sys.argv[1]), sys.argv[2], foreground=True, nothreads=True, big_writes=True)
