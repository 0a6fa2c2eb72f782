"""Prints the streams of the given compound documents as JSON, read by olefile with every defect it
can see treated as an error: {path: {stream name: {"size", "md5"}}}. Exits 3 on any defect."""
import hashlib
import json
import sys

import olefile

result = {}
for path in sys.argv[1:]:
    try:
        ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    except Exception as error:  # olefile raises its own and standard errors alike
        print(path + ": " + str(error), file=sys.stderr)
        sys.exit(3)
    streams = {}
    for entry in ole.listdir(streams=True, storages=False):
        name = "/".join(entry)
        data = ole.openstream(entry).read()
        if len(data) != ole.get_size(entry):
            print(path + ": " + name + " reads " + str(len(data)) + " bytes", file=sys.stderr)
            sys.exit(3)
        streams[name] = {"size": len(data), "md5": hashlib.md5(data).hexdigest()}
    if ole.parsing_issues:
        print(path + ": " + repr(ole.parsing_issues), file=sys.stderr)
        sys.exit(3)
    ole.close()
    result[path] = streams
print(json.dumps(result))
