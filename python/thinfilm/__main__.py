"""``python3 -m thinfilm``: charts and tables from the command line."""

import sys

try:
    from thinfilm.cli import main
except KeyboardInterrupt:
    # Ctrl-C while the modules load: the same quiet end as during a command.
    sys.exit(130)

sys.exit(main())
