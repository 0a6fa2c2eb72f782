"""Reads the 96 MB block with pyvisa-py a few times; prints the bytes read and the seconds taken."""
import sys
import time

import pyvisa


def main():
    resource, repeats, chunk_size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    manager = pyvisa.ResourceManager("@py")
    instrument = manager.open_resource(resource, timeout=60000)
    instrument.read_termination = "\n"
    instrument.write_termination = "\n"
    if chunk_size > 0:
        instrument.chunk_size = chunk_size
    total_bytes, total_seconds = 0, 0.0
    for _ in range(repeats):
        start = time.perf_counter()
        data = instrument.query_binary_values("DATA?", datatype="s", container=bytes)
        total_seconds += time.perf_counter() - start
        total_bytes += len(data)
    print("BYTES %d SECONDS %.6f" % (total_bytes, total_seconds))
    instrument.close()
    manager.close()


main()
