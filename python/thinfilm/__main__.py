"""``python3 -m thinfilm``: charts and tables from the command line."""

import sys

from thinfilm.cli import main

sys.exit(main())
