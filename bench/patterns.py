"""The benchmark patterns in Python, as the engine runs them in the .hdvp files beside this one.

    python3 patterns.py PATTERN COUNT   prints the result and the seconds taken
"""
import sys
import time


def int_loop(count):
    result = 0
    for i in range(1, count + 1):
        result = result + (i * i) % 7 - 3
    return result


def tuple_concat(count):
    t = []
    for i in range(count):
        t = t + [i]
    return len(t)


def tuple_index(count):
    t = []
    for i in range(count):
        t.append(i)
    return len(t)


def text_concat(count):
    s = ""
    for i in range(count):
        s = s + "abc"
    return len(s)


def main():
    pattern, count = sys.argv[1], int(sys.argv[2])
    if pattern == "tuple_literal":
        # Reading a literal of COUNT elements, as the engine reads it when it loads a script.
        text = "[" + ", ".join(str(i) for i in range(count)) + "]"
        start = time.perf_counter()
        result = len(eval(compile(text, "literal", "eval")))
    else:
        function = globals()[pattern]
        start = time.perf_counter()
        result = function(count)
    print(result, time.perf_counter() - start)


main()
