"""Output files of the charts: all of them written in full, or none.

Every file is first written to a hidden temporary file in its own folder and
renamed over its name only once all the files of a command are complete, so
an error, a full disk or an interrupt never leaves a partial picture or table,
nor the temporary file itself.
"""

import contextlib
import io
import os
import signal
import stat
import tempfile

PICTURE_FORMATS = ("png", "svg", "pdf")
FORMATS = PICTURE_FORMATS + ("csv",)
# A short name, whatever the length of the final one: ".tf-" + 8 random characters
# + ".part" is 17 characters, within the 255 of any name.
_TEMPORARY_PREFIX, _TEMPORARY_SUFFIX = ".tf-", ".part"
# The signals held back while a temporary file is between being made and being
# recorded, while the files are renamed, and while the temporary files are removed.
_HELD = frozenset(getattr(signal, name) for name in ("SIGINT", "SIGTERM", "SIGHUP")
                  if hasattr(signal, name))


def file_format(path):
    """Return the format named by the extension of `path`, or None.

    Examples
    --------
    >>> file_format("map.PNG"), file_format("nk.svg"), file_format("t.csv")
    ('png', 'svg', 'csv')
    >>> file_format("chart.jpg") is None, file_format("chart") is None
    (True, True)
    """
    extension = os.path.splitext(path)[1].lower().lstrip(".")
    return extension if extension in FORMATS else None


def _creation_mode():
    # mkstemp makes files only the owner can read; a new file gets the mode
    # any newly created file would get.
    mask = os.umask(0)
    os.umask(mask)
    return 0o666 & ~mask


@contextlib.contextmanager
def _signals_held():
    """Deliver SIGINT, SIGTERM and SIGHUP only at the end of the block."""
    try:
        previous = signal.pthread_sigmask(signal.SIG_BLOCK, _HELD)
    except (AttributeError, ValueError, OSError):
        previous = None
    try:
        yield
    finally:
        if previous is not None:
            signal.pthread_sigmask(signal.SIG_SETMASK, previous)


def _named(error, path):
    """The OSError `error` about `path`, the name the user gave."""
    if error.errno is None:
        return error
    return type(error)(error.errno, error.strerror, path)


def _existing(path):
    try:
        return os.stat(path)
    except FileNotFoundError:
        return None


def _start(path, pending):
    """Open the temporary file of `path`, recorded in `pending` to be removed on failure.

    Its mode is the mode of the file it replaces, or the creation mode of a
    new file. A file the user may not write is refused as writing it in place
    would be: renaming over it would otherwise give the user a file to write.
    """
    existing = _existing(path)
    if existing is not None and not os.access(path, os.W_OK):
        raise PermissionError(13, os.strerror(13), path)
    folder = os.path.dirname(os.path.abspath(path))
    with _signals_held():
        handle, temporary = tempfile.mkstemp(prefix=_TEMPORARY_PREFIX,
                                             suffix=_TEMPORARY_SUFFIX, dir=folder)
        pending.append((temporary, path))
    stream = os.fdopen(handle, "wb")
    if existing is None:
        os.fchmod(handle, _creation_mode())
    else:
        if (existing.st_uid, existing.st_gid) != (os.getuid(), os.getgid()):
            # Keeps the owner and group where the system lets this user do so.
            with contextlib.suppress(OSError):
                os.fchown(handle, existing.st_uid, existing.st_gid)
        os.fchmod(handle, stat.S_IMODE(existing.st_mode))
    return stream


def write_files(files):
    """Write several files, each in full, or leave none of them behind.

    A device or a pipe (``/dev/stdout``, ``/dev/null``) is written in place
    once every other file is complete; a regular file is written to a
    temporary file renamed over it at the end, and keeps its mode.

    Parameters
    ----------
    files : list of (str, callable)
        The path of each file and a function that writes its bytes to a
        binary file object.

    Raises
    ------
    OSError
        When a file cannot be written, with the path given as its filename;
        no new file is then left, and the files written before keep their
        old contents. Any exception of a writer, and an interrupt, leave the
        files the same way.

    Examples
    --------
    >>> import tempfile, os
    >>> folder = tempfile.mkdtemp()
    >>> path = os.path.join(folder, "t.csv")
    >>> write_files([(path, text_writer("a,b\\n"))])
    >>> open(path).read(), os.listdir(folder)
    ('a,b\\n', ['t.csv'])
    >>> write_files([(path, text_writer("c\\n")), (os.path.join(folder, "no", "x"), None)])
    ... # doctest: +ELLIPSIS
    Traceback (most recent call last):
    FileNotFoundError: [Errno 2] No such file or directory: '/.../no/x'
    >>> open(path).read(), os.listdir(folder)
    ('a,b\\n', ['t.csv'])
    >>> os.unlink(path); os.rmdir(folder)
    """
    pending = []
    direct = []
    try:
        for path, write in files:
            try:
                existing = _existing(path)
                if existing is not None and not stat.S_ISREG(existing.st_mode):
                    # Renaming over a device or a pipe would replace it: these are
                    # written in place, once every file is complete.
                    buffer = io.BytesIO()
                    write(buffer)
                    direct.append((path, buffer.getvalue()))
                    continue
                with _start(path, pending) as stream:
                    write(stream)
            except OSError as error:
                raise _named(error, path) from None
        for path, data in direct:
            try:
                with open(path, "wb") as stream:
                    stream.write(data)
            except OSError as error:
                raise _named(error, path) from None
        with _signals_held():
            while pending:
                temporary, path = pending[0]
                try:
                    os.replace(temporary, path)
                except OSError as error:
                    raise _named(error, path) from None
                pending.pop(0)
    finally:
        with _signals_held():
            for temporary, _ in pending:
                with contextlib.suppress(OSError):
                    os.unlink(temporary)


def text_writer(text):
    """Return a writer for `write_files` that writes `text` in UTF-8."""
    return lambda stream: stream.write(text.encode("utf-8"))


def table_writer(table, separator=",", decimal="."):
    """Return a writer for `write_files` that writes a `Table` as CSV in UTF-8, its values
    separated by `separator`, its numbers written with the decimal mark `decimal`."""
    return lambda stream: table.write_csv(stream, separator=separator, decimal=decimal)


def figure_writer(figure, file_format, dpi):
    """Return a writer for `write_files` that saves `figure` as `file_format`.

    The saved files carry no date and the same element ids from run to run,
    so that the same chart gives the same bytes.
    """
    import matplotlib

    metadata = {"svg": {"Date": None}, "pdf": {"CreationDate": None}}.get(file_format)

    def write(stream):
        with matplotlib.rc_context({"svg.hashsalt": "thinfilm"}):
            figure.savefig(stream, format=file_format, dpi=dpi, metadata=metadata)

    return write
