"""The same loop as int_loop.hdvp, in Python; prints result and seconds."""
import sys
import time


def int_loop(count):
    result = 0
    for i in range(1, count + 1):
        result = result + (i * i) % 7 - 3
    return result


count = int(sys.argv[1]) if len(sys.argv) > 1 else 1000000
start = time.perf_counter()
value = int_loop(count)
print(value, time.perf_counter() - start)
