"""demo-record: records the demo in pieces (locally or as a Slurm array job)
and joins them into one video without encoding the pictures again."""
