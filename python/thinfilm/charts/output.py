"""Output files of the charts: all of them written in full, or none.

Every file is first written to a hidden temporary file in its own folder and
renamed over its name only once all the files of a command are complete, so
an error, a full disk or an interrupt never leaves a partial picture or table.
"""

import io
import os
import tempfile

PICTURE_FORMATS = ("png", "svg", "pdf")
FORMATS = PICTURE_FORMATS + ("csv",)


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
    # mkstemp makes files only the owner can read; a finished file gets the
    # mode any newly created file would get.
    mask = os.umask(0)
    os.umask(mask)
    return 0o666 & ~mask


def write_files(files):
    """Write several files, each in full, or leave none of them behind.

    Parameters
    ----------
    files : list of (str, callable)
        The path of each file and a function that writes its bytes to a
        binary file object.

    Raises
    ------
    OSError
        When a file cannot be written; no new file is then left, and the
        files written before keep their old contents.
    """
    pending = []
    direct = []
    try:
        for path, write in files:
            if os.path.exists(path) and not os.path.isfile(path):
                # A device or a pipe (/dev/stdout, /dev/null) is written in place, once
                # every file is complete: renaming over it would replace the device.
                buffer = io.BytesIO()
                write(buffer)
                direct.append((path, buffer.getvalue()))
                continue
            folder, name = os.path.split(os.path.abspath(path))
            handle, temporary = tempfile.mkstemp(prefix="." + name + ".", suffix=".part",
                                                 dir=folder)
            pending.append((temporary, path))
            with os.fdopen(handle, "wb") as stream:
                write(stream)
            os.chmod(temporary, _creation_mode())
        for path, data in direct:
            with open(path, "wb") as stream:
                stream.write(data)
        while pending:
            temporary, path = pending[0]
            os.replace(temporary, path)
            pending.pop(0)
    finally:
        for temporary, _ in pending:
            try:
                os.unlink(temporary)
            except OSError:
                pass


def text_writer(text):
    """Return a writer for `write_files` that writes `text` in UTF-8."""
    return lambda stream: stream.write(text.encode("utf-8"))


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
