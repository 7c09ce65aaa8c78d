# Each command that ran into the next one (see cmd.sps) reports an error and,
# after it, one note naming the command whose name it swallowed; the command
# that ends with its period gets no such note.
import json, sys

NOTE = "Period missing before ^1."
# In file order: the swallowed command of each command that lost its period.
expected = ["CATPCA", "MULTIPLE CORRESPONDENCE", "CATREG", "HOMALS", "CATPCA"]
report = json.load(open(sys.argv[1]))
found = []
for c in report["commands"]:
    msgs = [it for it in c["items"] if it["type"] == "message"]
    notes = [i for i, m in enumerate(msgs) if m["key"] == NOTE]
    if not notes:
        continue
    assert len(notes) == 1, msgs
    note = msgs[notes[0]]
    assert note["severity"] == "note", note
    assert note["params"][0] in note["text"], note
    assert "period" in note["text"], note
    errors = [i for i, m in enumerate(msgs) if m["severity"] == "error"]
    assert errors and errors[0] < notes[0], msgs
    found.append(note["params"][0])
assert found == expected, found
print("forgotten periods are named:", ", ".join(found))
