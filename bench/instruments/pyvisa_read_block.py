"""Reads the 96 MB block with pyvisa-py on one open session; prints the bytes read and the seconds
the reads took, the fastest and the median read. Every sample is checked against the block the
bench sends. With 'idn COUNT IDENTITY' after the resource it times COUNT *IDN? queries instead and
prints the median round trip; every reply is checked against IDENTITY."""
import array
import statistics
import sys
import time

import pyvisa

SAMPLES = 6000000


def expected_block():
    samples = array.array("d", bytes(16 * SAMPLES))
    samples[0::2] = array.array("d", (1e-6 * (i % 1000) for i in range(SAMPLES)))
    samples[1::2] = array.array("d", (1e-5 * i for i in range(SAMPLES)))
    if sys.byteorder != "little":
        samples.byteswap()
    return samples.tobytes()


def read_block(instrument):
    """DATA? and its definite-length block, read by its length with the termination off."""
    instrument.write("DATA?")
    head = instrument.read_bytes(2)
    digits = int(head[1:2])
    length = int(instrument.read_bytes(digits))
    data = instrument.read_bytes(length, chunk_size=1 << 20)
    if instrument.read_bytes(1) != b"\n":
        raise RuntimeError("the block is not followed by its terminator")
    return data


def identity_round_trips(instrument, count, identity):
    """The median seconds of a *IDN? query and its reply, on the open session."""
    instrument.read_termination = "\n"
    if instrument.query("*IDN?") != identity:
        raise RuntimeError("no identity")
    seconds = []
    for _ in range(count):
        start = time.perf_counter()
        reply = instrument.query("*IDN?")
        seconds.append(time.perf_counter() - start)
        if reply != identity:
            raise RuntimeError("a reply differs from the identity")
    return statistics.median(seconds)


def main():
    resource = sys.argv[1]
    manager = pyvisa.ResourceManager("@py")
    instrument = manager.open_resource(resource, timeout=60000)
    instrument.write_termination = "\n"
    if sys.argv[2] == "idn":
        print("MEDIAN %.9f" % identity_round_trips(instrument, int(sys.argv[3]), sys.argv[4]))
        instrument.close()
        manager.close()
        return
    reads = int(sys.argv[2])
    expected = expected_block()
    instrument.read_termination = None
    instrument.chunk_size = 1 << 20
    if read_block(instrument) != expected:
        raise RuntimeError("the block read differs from the block sent")
    total_bytes, total_seconds, times = 0, 0.0, []
    for _ in range(reads):
        start = time.perf_counter()
        data = read_block(instrument)
        seconds = time.perf_counter() - start
        total_seconds += seconds
        times.append(seconds)
        if data != expected:
            raise RuntimeError("the block read differs from the block sent")
        total_bytes += len(data)
    print("BYTES %d SECONDS %.6f BEST %.6f MEDIAN %.6f"
          % (total_bytes, total_seconds, min(times), statistics.median(times)))
    instrument.close()
    manager.close()


main()
