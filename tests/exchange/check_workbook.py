"""Reads a workbook of vantorel-query back and holds it against the CSV of the same rows
(--format csv --moment): the title row, the moments as date-time cells, the cells as text,
the rows' colours. Exits non-zero with the differences found."""
import csv
import datetime
import sys

import openpyxl
from openpyxl.utils import get_column_letter

TONES = {"Переход на резерв": "FF808000", "Рассхождение в системном времени": "FF808000",
         "Норма": "FF008000", "Связь с устройством восстановлена": "FF008000",
         "Интернет-соединение восстановлено": "FF008000"}
MAROON = "FF800000"
BACKGROUNDS = ("FFFFFFFF", "FFF0F0F0")


def main(workbook_path, csv_path):
    with open(csv_path, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(f))
    titles, records = rows[0][2:], rows[1:]
    sheet = openpyxl.load_workbook(workbook_path).active
    problems = []

    def check(ok, what):
        if not ok:
            problems.append(what)

    head = [c.value for c in sheet[1]]
    check(head == ["Момент"] + titles, f"title row {head}")
    check(all(c.font.b for c in sheet[1]), "title row not bold")
    check(sheet["A1"].fill.fgColor.rgb == BACKGROUNDS[1], f"title fill {sheet['A1'].fill.fgColor.rgb}")
    check(sheet.freeze_panes == "A2", f"frozen at {sheet.freeze_panes}")
    last = f"{get_column_letter(len(titles) + 1)}{len(records) + 1}"
    check(sheet.auto_filter.ref == f"A1:{last}", f"autofilter {sheet.auto_filter.ref}, not A1:{last}")
    check(sheet.max_row == len(records) + 1, f"{sheet.max_row - 1} rows, not {len(records)}")
    message = titles.index("Сообщение") + 1
    for n, record in enumerate(records):
        cells = list(sheet[n + 2])
        moment = datetime.datetime.fromisoformat(record[0])
        stamp = cells[0]
        if moment.date() == datetime.date(1899, 12, 30):
            check(stamp.is_date and stamp.value == moment.time(), f"row {n + 2}: moment {stamp.value!r}")
        else:
            check(stamp.is_date and stamp.value == moment, f"row {n + 2}: moment {stamp.value!r}, not {moment}")
        texts = [c.value if c.value is not None else "" for c in cells[1:]]
        check(texts == record[2:], f"row {n + 2}: {texts} != {record[2:]}")
        check(all(c.data_type == "s" for c in cells[1:] if c.value is not None), f"row {n + 2}: not all text")
        colour = TONES.get(record[2 + message - 1], MAROON)
        fill = BACKGROUNDS[n % 2]
        for c in cells:
            check(c.font.color.rgb == colour and c.fill.fgColor.rgb == fill,
                  f"{c.coordinate}: {c.font.color.rgb} on {c.fill.fgColor.rgb}, not {colour} on {fill}")
    for p in problems[:20]:
        print(f"{workbook_path}: {p}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
