"""An independent reference of what versel writes, for checking its output
on files too large to keep as expected files.

It knows only what the checks need: year lines of a format of position items
and I and F fields, such as "(1x,i4,12f5.1)"; header lines of any other kind
with coordinates read as two reals after a skip; the climate mask; and the
tsf, mat, _key and grd layouts. Numbers are 32-bit reals as in versel, edited
by the rule of real output: the exact binary value first to 8 significant
digits, then to the field's decimals, both times ties away from zero.
"""
import re
import struct
from decimal import Decimal, ROUND_HALF_UP

MONTHS = 12


def f32(x):
    """The nearest 32-bit real."""
    return struct.unpack("f", struct.pack("f", x))[0]


def edit_f(value, w, d):
    """An Fw.d field of a 32-bit real."""
    v = Decimal(f32(value))
    if v != 0:
        exp = v.copy_abs().adjusted()  # power of ten of the first digit
        v = v.quantize(Decimal(1).scaleb(exp - 7), rounding=ROUND_HALF_UP)
    v = v.quantize(Decimal(1).scaleb(-d), rounding=ROUND_HALF_UP)
    text = "%.*f" % (d, v)
    if text.startswith("-") and Decimal(text) == 0:
        text = text[1:]
    if text.startswith("0.") and len(text) > w:
        text = text[1:]
    if text.startswith("-0.") and len(text) > w:
        text = "-" + text[2:]
    return text.rjust(w) if len(text) <= w else "*" * w


def edit_i(value, w):
    text = str(value)
    return text.rjust(w) if len(text) <= w else "*" * w


def parse_format(text):
    """(1x,i4,12f5.1) -> [('x', 1, 0), ('i', 4, 0), ('f', 5, 1) x 12]"""
    items = []
    for part in text.strip().strip("()").split(","):
        m = re.fullmatch(r"(\d*)x", part)
        if m:
            items.append(("x", int(m.group(1) or 1), 0))
            continue
        m = re.fullmatch(r"(\d*)([if])(\d+)(?:\.(\d+))?", part)
        if not m:
            raise ValueError("format item %r is beyond this reference" % part)
        for _ in range(int(m.group(1) or 1)):
            items.append((m.group(2), int(m.group(3)), int(m.group(4) or 0)))
    return items


def read_fields(items, line):
    """The numbers of a line through the items, or None when one is no number.
    A field without a digit is None (a missing month)."""
    pos, out = 0, []
    for kind, w, d in items:
        if kind == "x":
            pos += w
            continue
        field = line[pos:pos + w]
        pos += w
        body = field.replace(" ", "")
        if not re.fullmatch(r"[+-]?\d*\.?\d*", body):
            return None
        if not re.search(r"\d", body):
            out.append(None)
            continue
        if kind == "i":
            if "." in body:
                return None
            out.append(int(body))
        elif "." in body:
            out.append(f32(float(body)))
        else:
            out.append(f32(int(body) / 10 ** d))
    return out


class Mask:
    def __init__(self, text):
        self.text = text
        self.ncm = len(text)
        selected = [p for p, c in enumerate(text) if c != "0"]
        self.first = selected[0] + 1
        self.seasons = any(c in "23" for c in text)
        self.extra = (self.ncm - 1) // 12
        self.lead = self.first > 12
        self.ncv = sum(1 for c in text if c != "0" and (not self.seasons or c != "1"))


def reduce(mask, first_year, months, flag, min_months=0):
    """(IFC, NYC, [[values of output year] ...]) of a station's monthly
    values; with min_months above 0 an average season is the mean of its
    valid months when at least min_months (or all, if fewer) are valid."""
    year_lines = len(months) // MONTHS
    nyc = year_lines - mask.extra
    ifc = first_year if mask.lead else first_year + mask.extra
    years = []
    for i in range(max(nyc, 0)):
        window = months[MONTHS * i:]
        row, sm, ncnt, nvalid, missing = [], f32(0.0), 0, 0, False
        for j, c in enumerate(mask.text):
            if c == "0":
                continue
            v = window[j]
            ncnt += 1
            kind = c if mask.seasons else "2"
            if kind == "1":
                if v == flag:
                    missing = True
                else:
                    sm, nvalid = f32(sm + v), nvalid + 1
                continue
            if kind == "2":
                sm = flag if missing or v == flag else f32(sm + v)
            elif kind == "3":
                if not missing and v != flag:
                    sm = f32(f32(sm + v) / ncnt)
                elif min_months > 0:
                    if v != flag:
                        sm, nvalid = f32(sm + v), nvalid + 1
                    need = min(min_months, ncnt)
                    sm = f32(sm / nvalid) if nvalid >= need and nvalid > 0 else flag
                else:
                    sm = flag
            row.append(sm)
            sm, ncnt, nvalid, missing = f32(0.0), 0, 0, False
        years.append(row)
    return ifc, nyc, years


def read_stations(path, year_format, flag, coordinates):
    """[(header or None, (lat, lon), first_year, months)] of a file of
    headers and year lines; `coordinates(header)` reads a header's two."""
    items = parse_format(year_format)
    flag = f32(flag)
    stations, current = [], None
    for line in open(path, encoding="latin-1").read().splitlines():
        if not line.strip():
            continue
        fields = read_fields(items, line)
        if fields is None or fields[0] is None:
            current = [line, coordinates(line), None, []]
            stations.append(current)
            continue
        if current is None:
            current = [None, (flag, flag), None, []]
            stations.append(current)
        year, values = fields[0], [flag if v is None else v for v in fields[1:]]
        if current[2] is None:
            current[2] = year
        else:
            last = current[2] + len(current[3]) // MONTHS - 1
            current[3] += [flag] * (MONTHS * (year - last - 1))
        current[3] += values
    return [tuple(s) for s in stations if s[2] is not None]


def tsf(stations, mask, flag, header_line):
    out = []
    for header, _, first_year, months in stations:
        if header is not None:
            out.append(header_line(header))
        ifc, _, years = reduce(mask, first_year, months, flag)
        for i, row in enumerate(years):
            out.append(edit_i(ifc + i, 5) + "".join(edit_f(v, 8, 2) for v in row))
    return "".join(l + "\r\n" for l in out)


def mat(stations, mask, flag):
    """The _sea and _key files of a mat run."""
    reduced = [reduce(mask, s[2], s[3], flag) for s in stations]
    first = [s[2] for s in stations]
    last = [s[2] + len(s[3]) // MONTHS - 1 for s in stations]
    min1, max1 = min(first + [3000]), max(last + [0])
    table = {}
    for k, (ifc, _, years) in enumerate(reduced):
        for i, row in enumerate(years):
            for v, value in enumerate(row):
                table[(ifc + i, v, k)] = value
    sea = []
    for year in range(min1, max1 + 1):
        for v in range(mask.ncv):
            cells = [table.get((year, v, k), f32(flag)) for k in range(len(stations))]
            sea.append(" " + edit_i(year, 4) + "  " + edit_i(v + 1, 2) +
                       "".join(" " + edit_f(c, 8, 2) for c in cells))
    key = [" " + edit_f(lat, 8, 2) + edit_f(lon, 8, 2) for _, (lat, lon), _, _ in stations]
    return "".join(l + "\r\n" for l in sea), "".join(l + "\r\n" for l in key)


def grd(stations, mask, flag):
    out = []
    for header, (lat, lon), first_year, months in stations:
        _, _, years = reduce(mask, first_year, months, flag)
        means = []
        for v in range(mask.ncv):
            total, n = f32(0.0), 0
            for row in years:
                if row[v] != flag:
                    total, n = f32(total + row[v]), n + 1
            means.append(f32(total / n) if n else flag)
        out.append(" " + edit_f(lat, 8, 2) + edit_f(lon, 8, 2) +
                   "".join(" " + edit_f(m, 8, 2) for m in means))
    return "".join(l + "\r\n" for l in out)


# The file a run wrote against the text computed here: 0 when they are the
# same, else 1 after printing the first line that differs.
def compare(work, name, expected):
    actual = (work / name).read_bytes().decode("latin-1")
    if actual == expected:
        return 0
    for n, (a, e) in enumerate(zip(actual.split("\n"), expected.split("\n")), 1):
        if a != e:
            print("%s line %d\n  expected %r\n  actual   %r" % (name, n, e[:200], a[:200]))
            return 1
    print("%s: %d bytes, expected %d" % (name, len(actual), len(expected)))
    return 1
