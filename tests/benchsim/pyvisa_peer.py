"""pyvisa-py, an outside VISA client, talks to both simulated instruments of lumora-benchsim.

Usage: pyvisa_peer.py <lumora-benchsim>. Exits 0 on success, 77 when pyvisa-py is missing.
"""
import re
import subprocess
import sys
import time

try:
    import pyvisa
except ImportError:
    sys.exit(77)

SUPPLY, METER = "127.0.0.5", "127.0.0.6"


def start_bench(program):
    bench = subprocess.Popen(
        [program, "--supply-address", SUPPLY, "--meter-address", METER, "--socket-port", "0",
         "--stream-port", "0", "--time-scale", "100"],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    output = ""
    deadline = time.time() + 10
    while "running" not in output and time.time() < deadline:
        line = bench.stdout.readline()
        if not line:
            break
        output += line
    if "running" not in output:
        bench.kill()
        sys.exit("bench did not start:\n" + output)
    return bench, output


def open_instrument(rm, resource):
    instrument = rm.open_resource(resource)
    instrument.read_termination = "\n"
    instrument.write_termination = "\n"
    instrument.timeout = 5000
    return instrument


def check_meter(instrument):
    assert "DMM7510" in instrument.query("*IDN?")
    for command in [':SENS:FUNC "CURR:DC"', ":SENS:CURR:RANG 0.1", ":SENS:CURR:AZER OFF",
                    ":SENS:CURR:NPLC 0.001", ':TRAC:POIN 1000, "defbuffer1"', ":FORM:DATA REAL",
                    ":FORM:BORD SWAP", ':TRIG:LOAD "SimpleLoop", 1000, 0, "defbuffer1"',
                    ':TRAC:CLE "defbuffer1"', ":INIT"]:
        instrument.write(command)
    deadline = time.time() + 5
    while not instrument.query(":TRIG:STAT?").startswith("IDLE"):
        assert time.time() < deadline, "capture did not finish"
        time.sleep(0.01)
    values = instrument.query_binary_values(':TRAC:DATA? 1, 1000, "defbuffer1", READ, REL',
                                            datatype="d", is_big_endian=False)
    assert len(values) == 2000, len(values)
    times = values[1::2]
    assert all(b > a for a, b in zip(times, times[1:])), "times must rise"
    assert instrument.query(":SYST:ERR?").startswith("0,")


def main():
    bench, output = start_bench(sys.argv[1])
    try:
        rm = pyvisa.ResourceManager("@py")
        sockets = dict(re.findall(r"TCPIP0::(127\.0\.0\.\d)::(\d+)::SOCKET", output))
        resources = [f"TCPIP0::{address}::{port}::SOCKET" for address, port in sockets.items()]
        # pyvisa-py asks the portmapper on port 111 only.
        if "portmapper on port 111 " in output:
            resources += [f"TCPIP0::{SUPPLY}::INSTR", f"TCPIP0::{METER}::INSTR"]
        for resource in resources:
            instrument = open_instrument(rm, resource)
            if METER in resource:
                check_meter(instrument)
            else:
                assert "2280S" in instrument.query("*IDN?")
                assert instrument.query(":SYST:LFR?").startswith("50")
            instrument.close()
            print("ok", resource)
    finally:
        bench.terminate()
        bench.wait(10)


if __name__ == "__main__":
    main()
