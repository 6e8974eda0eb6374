# Feed document benchmarks.
