#!/usr/bin/env python3
"""Records read with quotes on, against Python's csv module.

Each case is one file merged by the built program with a header row, quotes
read and written, UTF-8 in and out; the records of its output must be those
Python's csv module reads from the file, each padded to the table's width.
The cases are those of the common CSV test suites (comma in quotes, empty
fields, escaped quotes, line breaks inside quotes, CR LF) and the record
rules: a CR alone ends a record, a byte 26 is text unless it is the file's
last byte, a trailing delimiter closes an empty last field.
Usage: rfc_records_test.py <kleitab>
"""
import csv
import io
import os
import subprocess
import sys
import tempfile

CASES = {
    "comma_in_quotes": b'first,last,address,city,zip\r\nJohn,Doe,120 any st.,"Anytown, WW",08123\r\n',
    "empty": b'a,b,c\n1,"",""\n2,3,4\n',
    "empty_crlf": b'a,b,c\r\n1,"",""\r\n2,3,4\r\n',
    "escaped_quotes": b'a,b\n1,"ha ""ha"" ha"\n3,4\n',
    "json": b'key,val\n1,"{""type"": ""Point"", ""coordinates"": [102.0, 0.5]}"\n',
    "newlines": b'a,b,c\n1,2,3\n"Once upon \na time",5,6\n7,8,9\n',
    "newlines_crlf": b'a,b,c\r\n1,2,3\r\n"Once upon \r\na time",5,6\r\n7,8,9\r\n',
    "quotes_and_newlines": b'a,b\n1,"ha \n""ha"" \nha"\n3,4\n',
    "simple": b"a,b,c\n1,2,3\n",
    "simple_crlf": b"a,b,c\r\n1,2,3\r\n",
    "utf8": "a,b,c\n1,2,3\n4,5,ʤ\n".encode(),
    "byte_order_mark": "\ufeffid,name\r\n1,Ann\r\n".encode(),
    "cr_alone": b'a,"b\rc",d\re,f\r',
    "cr_alone_then_crlf": b"a,b\r1,2\r\n3,4\r\r\n5,6",
    "byte_26_inside": b"a,x\x1ay\r\nd,e,f\r\n",
    "byte_26_last": b"a,b\r\n1,2\r\n\x1a",
    "trailing_delimiter": b"a,b,\r\n1,2,3\r\n4,,\r\n",
    "empty_line": b"1,2,3\r\n\r\n4,5\r\n",
    "text_after_closing_quote": b'a,b\n"x"y,z\n',
    "quote_inside_field": b'a,b\nx"y,z"\n',
    "quote_left_open": b'a,b\n1,"open\n2,3\n',
    "only_delimiters": b"a,b,c\n,,\n",
    "no_final_line_end": b"a,b\n1,2",
}


def records(text):
    return list(csv.reader(io.StringIO(text, newline="")))


def padded(rows, width):
    return [row + [""] * (width - len(row)) for row in rows]


def main():
    kleitab = os.path.realpath(sys.argv[1])
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    failed = 0
    with tempfile.TemporaryDirectory() as work:
        for name, data in CASES.items():
            source = os.path.join(work, name + ".csv")
            with open(source, "wb") as f:
                f.write(data)
            out = subprocess.run(
                [kleitab, "-o", "-", "-q", "--quotes", "--header", "--match-headers",
                 "--quote-output", "--utf8", "--encoding", "utf-8", source],
                env=env, capture_output=True, check=False)
            # Byte 26 as the last byte is the old end-of-file mark, no data.
            expected_text = data[:-1] if data.endswith(b"\x1a") else data
            expected = records(expected_text.decode("utf-8-sig"))
            width = max(len(row) for row in expected)
            got = records(out.stdout.decode("utf-8"))
            if out.returncode != 0 or padded(got, width) != padded(expected, width):
                failed += 1
                print(f"FAIL {name}: status {out.returncode}\n  want {padded(expected, width)}"
                      f"\n  got  {got}\n  {out.stderr.decode(errors='replace')}")
    print(f"{len(CASES) - failed} of {len(CASES)} cases as Python's csv module reads them")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
