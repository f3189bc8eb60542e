"""tarvel-rc.exe and the files it reads, under the Wine that wine_test.py runs.

- A caption kept beyond the first 2 GiB of a .frx file (a sparse one of 3 GiB)
  is read: the offset goes to the C runtime in 64 bits, never through a long,
  which Windows keeps at 32.
- No output may be a file the conversion reads: -o, --header and --masm naming
  the form's .frx file, also in another case, are refused with exit status 2
  and the .frx stays as it was.
"""

from pathlib import Path

FAR_OFFSET = 0xC0000000  # 3 GiB: past what a 32-bit long can reach


def form_text(frx_name, offset):
    return (f'VERSION 5.00\r\nBegin VB.Form Form1\r\n   Begin VB.Menu mnuFar\r\n'
            f'      Caption = $"{frx_name}":{offset:08X}\r\n   End\r\nEnd\r\n').encode()


def test_inputs(wine, program, work, check):
    """Runs the checks in `work`, reporting each through `check(condition, what)`."""
    far = work / "far"
    far.mkdir(parents=True)
    (far / "Form1.frm").write_bytes(form_text("FORM1.FRX", FAR_OFFSET))
    with open(far / "Form1.frx", "wb") as frx:
        frx.seek(FAR_OFFSET)
        frx.write(b"\x03\x00\x00\x00far")
    result = wine.run(program, ["--no-define", "-o", "-", "Form1.frm"], far)
    check(result.returncode == 0 and b'MENUITEM "far", 100' in result.stdout,
          f"a caption 3 GiB into its .frx: exit status {result.returncode}, {result.stdout!r} {result.stderr!r}")
    (far / "Form1.frx").unlink()

    near = work / "near"
    near.mkdir()
    (near / "Form1.frm").write_bytes(form_text("Form1.frx", 0))
    frx_bytes = b"\x04\x00\x00\x00near"
    (near / "Form1.frx").write_bytes(frx_bytes)
    for arguments in (["-o", "Form1.frx"], ["-o", "out.rc", "--header", "FORM1.FRX"], ["-o", "out.rc", "--masm", "form1.frx"]):
        result = wine.run(program, [*arguments, "Form1.frm"], near)
        message = result.stderr.decode("utf-8", "replace")
        check(result.returncode == 2 and "which the conversion reads" in message,
              f"{' '.join(arguments)}: exit status {result.returncode}, {message!r}")
        check((near / "Form1.frx").read_bytes() == frx_bytes, f"{' '.join(arguments)}: the .frx was changed")
        check(sorted(p.name for p in near.iterdir()) == ["Form1.frm", "Form1.frx"],
              f"{' '.join(arguments)}: files left: {sorted(p.name for p in near.iterdir())}")
