# benchmarks: see bench/
