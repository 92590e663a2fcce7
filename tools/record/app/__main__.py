import sys

from demo_record.main import main

sys.exit(main())
