"""What the Python test runners share: one run loop with one failure rule
(runner.py) and the private servers the tests start (servers.py)."""
