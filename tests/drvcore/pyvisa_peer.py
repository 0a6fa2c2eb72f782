"""Opens one resource with pyvisa-py, reads *IDN? and a definite binary block, checks the block."""
import sys

import pyvisa


def main():
    resource, size = sys.argv[1], int(sys.argv[2])
    manager = pyvisa.ResourceManager("@py")
    # Long enough for a loaded machine; a reply that comes ends the wait at once.
    instrument = manager.open_resource(resource, timeout=60000)
    instrument.read_termination = "\n"
    instrument.write_termination = "\n"
    print("IDN " + instrument.query("*IDN?").strip())
    data = instrument.query_binary_values("BLOCK? %d" % size, datatype="B", container=bytes)
    expected = bytes(((i * 7 + i // 256) & 0xFF) for i in range(size))
    print("BLOCK %d %s" % (len(data), "same" if data == expected else "different"))
    instrument.close()
    manager.close()


main()
