"""pyvisa-py on one open session of the simulated multimeter, answering the benchmark one command per
line on standard input with one line, so that the benchmark can interleave its own reads with these.
Run as 'pyvisa_read_block.py RESOURCE serve'. Commands:

  idn COUNT IDENTITY   -> MEDIAN s: COUNT *IDN? queries, each reply checked against IDENTITY
  block COUNT QUERY    -> BYTES n SECONDS s BEST s MEDIAN s SHA256 h: COUNT reads of the block QUERY
                          answers, read by its length with the termination off (as read_binary_values
                          users have it), each a new bytes object as read_bytes gives it; every read's
                          data must hash alike, h is that hash
  into COUNT QUERY     -> the same, each read's chunks copied into one buffer made once and used for
                          every read (as our reader keeps its buffer)
Only the reads are timed."""
import hashlib
import statistics
import sys
import time

import pyvisa

CHUNK = 1 << 20


def header(instrument):
    """The definite-length header of the block: its data length."""
    head = instrument.read_bytes(2)
    digits = int(head[1:2])
    return int(instrument.read_bytes(digits))


def read_block(instrument, query):
    instrument.write(query)
    data = instrument.read_bytes(header(instrument), chunk_size=CHUNK)
    if instrument.read_bytes(1) != b"\n":
        raise RuntimeError("the block is not followed by its terminator")
    return data


def read_block_into(instrument, query, buffer):
    """The block's data into the buffer (grown once when too small), through the session's own reads."""
    instrument.write(query)
    length = header(instrument)
    if len(buffer) < length:
        buffer.extend(bytes(length - len(buffer)))
    view = memoryview(buffer)
    got = 0
    while got < length:
        chunk, _ = instrument.visalib.read(instrument.session, min(CHUNK, length - got))
        if not chunk:
            raise RuntimeError("the block ended after %d of its %d bytes" % (got, length))
        view[got:got + len(chunk)] = chunk
        got += len(chunk)
    if instrument.read_bytes(1) != b"\n":
        raise RuntimeError("the block is not followed by its terminator")
    return view[:length]


def identity_round_trips(instrument, count, identity):
    instrument.read_termination = "\n"
    seconds = []
    for _ in range(count):
        start = time.perf_counter()
        reply = instrument.query("*IDN?")
        seconds.append(time.perf_counter() - start)
        if reply != identity:
            raise RuntimeError("a reply differs from the identity")
    instrument.read_termination = None
    return statistics.median(seconds)


def block_reads(instrument, count, query, reused):
    buffer = bytearray()
    times, digest, total = [], None, 0
    for _ in range(count):
        start = time.perf_counter()
        data = read_block_into(instrument, query, buffer) if reused else read_block(instrument, query)
        times.append(time.perf_counter() - start)
        this = hashlib.sha256(data).hexdigest()
        if digest is not None and this != digest:
            raise RuntimeError("a block read differs from the first")
        digest = this
        total += len(data)
    return "BYTES %d SECONDS %.6f BEST %.6f MEDIAN %.6f SHA256 %s" % (
        total, sum(times), min(times), statistics.median(times), digest)


def main():
    manager = pyvisa.ResourceManager("@py")
    instrument = manager.open_resource(sys.argv[1], timeout=60000)
    instrument.write_termination = "\n"
    instrument.read_termination = None
    instrument.chunk_size = CHUNK
    for line in sys.stdin:
        command, count, rest = (line.rstrip("\n").split(" ", 2) + ["", ""])[:3]
        try:
            if command == "idn":
                answer = "MEDIAN %.9f" % identity_round_trips(instrument, int(count), rest)
            else:
                answer = block_reads(instrument, int(count), rest, command == "into")
        except Exception as error:  # the benchmark shows what went wrong
            answer = "ERROR %s" % error
        print(answer, flush=True)
    instrument.close()
    manager.close()


main()
