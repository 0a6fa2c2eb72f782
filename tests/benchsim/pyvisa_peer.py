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
# Seconds to wait for what normally takes milliseconds: enough for a sanitizer build on a loaded
# machine. A wait whose condition holds ends at once.
LONG_WAIT = 60


def start_bench(program):
    bench = subprocess.Popen(
        [program, "--supply-address", SUPPLY, "--meter-address", METER, "--socket-port", "0",
         "--stream-port", "0", "--time-scale", "100"],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    output = ""
    deadline = time.time() + LONG_WAIT
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
    instrument.timeout = LONG_WAIT * 1000
    return instrument


def wait_idle(instrument):
    deadline = time.time() + LONG_WAIT
    while not instrument.query(":TRIG:STAT?").startswith("IDLE"):
        assert time.time() < deadline, "capture did not finish"
        time.sleep(0.01)


def check_meter(instrument):
    """What the program's driver sends: short forms, polling the trigger state."""
    assert "DMM7510" in instrument.query("*IDN?")
    for command in [':SENS:FUNC "CURR:DC"', ":SENS:CURR:RANG 0.1", ":SENS:CURR:AZER OFF",
                    ":SENS:CURR:NPLC 0.001", ':TRAC:POIN 1000, "defbuffer1"', ":FORM:DATA REAL",
                    ":FORM:BORD SWAP", ':TRIG:LOAD "SimpleLoop", 1000, 0, "defbuffer1"',
                    ':TRAC:CLE "defbuffer1"', ":INIT"]:
        instrument.write(command)
    wait_idle(instrument)
    values = instrument.query_binary_values(':TRAC:DATA? 1, 1000, "defbuffer1", READ, REL',
                                            datatype="d", is_big_endian=False)
    assert len(values) == 2000, len(values)
    times = values[1::2]
    assert all(b > a for a, b in zip(times, times[1:])), "times must rise"
    assert instrument.query(":SYST:ERR?").startswith("0,")


def user_script_meter(dmm):
    """A first script as an engineer writes it from the reference manual: long forms, *WAI, status."""
    dmm.write("*RST")
    dmm.write("*CLS")
    dmm.write(':SENSe:FUNCtion "CURRent"')
    dmm.write(":SENSe:CURRent:RANGe 100e-3")
    dmm.write(":SENSe:CURRent:AZERo:STATe OFF")
    dmm.write(":SENSe:CURRent:NPLCycles 0.01")
    assert float(dmm.query(":SENSe:CURRent:NPLCycles?")) == 0.01
    assert float(dmm.query(":SENS:CURR:NPLC? MAX")) == 12
    assert float(dmm.query(":SYSTem:LFRequency?")) == 50
    dmm.write(':TRACe:POINts 500, "defbuffer1"')
    dmm.write(':TRIGger:LOAD "SimpleLoop", 500, 0, "defbuffer1"')
    dmm.write(":INITiate")
    dmm.write("*WAI")
    assert dmm.query(':TRACe:ACTual? "defbuffer1"') == "500"
    readings = dmm.query_ascii_values(':TRACe:DATA? 1, 500, "defbuffer1", READ')
    assert len(readings) == 500 and all(abs(r) < 0.1 for r in readings), readings[:5]
    dmm.write(":FORMat:DATA REAL")
    dmm.write(":FORMat:BORDer SWAPped")
    pairs = dmm.query_binary_values(':TRACe:DATA? 1, 500, "defbuffer1", READing, RELative',
                                    datatype="d", is_big_endian=False)
    assert len(pairs) == 1000
    # The ASCII form carries seven significant digits of the same readings.
    assert all(abs(a - b) <= 1e-6 * abs(b) for a, b in zip(readings, pairs[0::2]))
    dmm.write(":FORMat:DATA ASCii")
    # Overlapped measurement and status polling: *OPC sets bit 0 of the event status register.
    dmm.write("*ESE 1")
    dmm.write(':TRACe:CLEar "defbuffer1"')
    dmm.write(":INIT;*OPC")
    deadline = time.time() + LONG_WAIT
    while not int(dmm.query("*ESR?")) & 1:
        assert time.time() < deadline, "operation complete never set"
        time.sleep(0.005)
    assert int(dmm.query("*STB?")) & 0x20 == 0, "event register was read"
    assert dmm.query(":INIT;*OPC?") == "1"
    assert dmm.query(":TRAC:ACT?") == "500"
    dmm.write(":SENSe:COUNt 3")
    current = float(dmm.query(":MEASure:CURRent?"))
    assert abs(current) < 1, current
    assert float(dmm.query(":FETCh?")) == current
    # Mistakes give the standard errors, in order, and the meter goes on.
    dmm.write(":SENS:CURR:NPLC nan")
    dmm.write(":SENS:CURR:NPLC 13")
    dmm.write(":SENSe:CURRent:NPLCX 1")
    assert int(dmm.query("*ESR?")) & 0x30 == 0x30
    errors = [dmm.query(":SYSTem:ERRor:NEXT?").split(",")[0] for _ in range(4)]
    assert errors == ["-224", "-222", "-113", "0"], errors
    assert "DMM7510" in dmm.query("*IDN?")


def user_script_supply(psu):
    psu.write("*RST")
    psu.write("*CLS")
    assert float(psu.query(":SYST:LFR?")) == 50
    psu.write(":SOURce:VOLTage 3.3")
    psu.write(":SOUR:CURR:LEV 1")
    psu.write(":OUTPut:STATe ON")
    assert float(psu.query(":SOUR:VOLT?")) == 3.3
    assert psu.query(":OUTP?") == "1"
    current = float(psu.query(":MEASure:CURRent?"))
    assert 0 < current < 1, current
    assert float(psu.query(":MEAS:VOLT?")) == 3.3
    psu.write(':SENS:FUNC "CURR"')
    psu.write(":TRIG:COUN 20")
    psu.write(":TRACe:CLEar")
    psu.write(":INIT")
    assert psu.query("*OPC?") == "1"
    assert psu.query(":TRAC:ACT?") == "20"
    assert int(psu.query("*STB?")) & 0x04 == 0, "no error queued"
    psu.write(":VOLT 40")
    assert int(psu.query("*STB?")) & 0x04, "error available"
    assert psu.query(":SYST:ERR?").startswith("-222,")
    assert float(psu.query(":VOLT?")) == 3.3
    psu.write(":OUTP OFF")


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
                user_script_meter(instrument)
            else:
                assert "2280S" in instrument.query("*IDN?")
                user_script_supply(instrument)
            instrument.close()
            print("ok", resource)
    finally:
        bench.terminate()
        bench.wait(LONG_WAIT)


if __name__ == "__main__":
    main()
