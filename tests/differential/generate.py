#!/usr/bin/env python3
"""Writes a random but meaningful brio-host script from a seed, for the differential run: networks,
contacts and settings, every menu item and the contact's, the pages and the "Lista" page's list view
worked in every way, file dialogs, the import dialog, message boxes worked inside, time passing; and
the world around them: statuses changed alone, descriptions, networks dropping out and coming back, a
network new to the messenger, restarts and crashes of the messenger, each as often as a user meets it
(the weights below).

The script keeps to what the user could do at each moment (rows that are there, a selection to drag),
so that it runs to its end on both builds, and lets time pass in whole periods of the plug-in's
timers (10 seconds), where both builds agree on what falls due. It names its files relative to the
working directory. Usage: generate.py SEED [STEPS]
"""
import random
import sys

STEAL, EMULE, LISTA, AZUREUS = 445101, 445103, 445115, 445119
LOAD, SAVE, ADD, REPLACE = 445113, 445114, 445111, 445112
STATUS_FIELD, DESCRIPTION_FIELD, TIME_FIELD = 445108, 445109, 445110
WORDS = ["w pracy", "Zażółć gęślą jaźń", "na obiedzie", "{DownSpeed}/{UpSpeed}", "x", "śpię", "kawa",
         "D: {DownSpeed}", "zaraz wracam"]
NETWORKS = [15, 10, 12]
NEW_NETWORK = 17
CONTACTS = [5, 6]
# How often the user and the messenger do each thing, as weights: per step of a script, its top level
# (the rest of a roll goes to the page's own work while "Lista" is open); outside Brio (WORLD); and the
# statuses a user picks, "Dostępny" most (the six host numbers: Dostępny, Pogadam, Zaraz wracam,
# Nieosiągalny, Nie przeszkadzać, Ukryty). A crash of the messenger is rare, a restart a little less so;
# a network drops out about as often as the user changes a description, and comes back as often.
STEP = {"menu": 15, "advance": 15, "world": 14, "pages": 9, "restart": 2, "crash": 1}
LIST_SHARE = 0.45  # of the steps while "Lista" is open, the list view and its buttons
WORLD = {"status": 30, "description": 15, "contact": 10, "goes": 10, "comes": 10, "new": 3, "settings": 12,
         "clipboard": 10}
STATUSES = [64] * 4 + [67, 65, 65, 33, 34, 66]
# After a click on a row, how often the user changes it with "Zmień" at once, and what he changes: the
# status alone, the description alone, or both.
REPLACE_AFTER_CLICK = 0.3
REPLACE_FIELDS = {"status": 4, "description": 4, "both": 2}


def quoted(text):
    # The texts here hold no quote; their backslashes are brio-host's escapes (\r, \x0C).
    return '"' + text + '"'


def entry_text(entries):
    return "".join(f"{s}\\x0C{t}\\x0D{d}\\x0E" for s, t, d in entries)


class Script:
    def __init__(self, seed):
        self.r = random.Random(seed)
        self.lines = []
        self.page = None      # the open page, if any
        self.rows = 0         # rows of the list view while "Lista" is open
        self.stored = 0       # entries of the stored list
        self.selected = set() # the selection, while it is known; None when it is not
        # A row was clicked since the page opened ("Duplikuj" and "Kopiuj" of the focused row leave the
        # clicked one as it was). "Zmień" writes over it wherever it stands now, or over nothing once it
        # is deleted: the number of rows stays.
        self.picked = False
        # The activity that runs, as far as the user can tell (a cycle may end by itself: then it is
        # taken as running, which only matters for what its item's next use does).
        self.running = None
        self.networks = list(NETWORKS)  # the messenger's networks, a new one once it is added
        self.gone = set()  # networks dropped out (not taking descriptions, or offline)

    def say(self, line):
        self.lines.append(line)

    def word(self):
        return self.r.choice(WORDS)

    # --- the set-up ---

    def setup(self):
        r = self.r
        self.say("# seed-made script: networks, contacts, settings")
        for n in NETWORKS:
            status = r.choice([64, 64, 65, 67, 66])
            self.say(f"network add {n} {quoted('sieć ' + str(n))} status {status} description {quoted(self.word())}")
        for c in CONTACTS:
            self.say(f"contact add {c} {quoted('kontakt ' + str(c))} status {r.choice([0, 64, 65])} "
                     f"description {quoted(self.word())}")
        self.say('file write "gen_onlinesig.dat" "1|a|b|c\\r\\n12.3|4.5|7\\r\\n"')
        self.say('file write "gen_empty.dat" ""')
        self.say('file write "gen_stats.xml" "<STATS><GLOBAL><DOWNLOAD_SPEED><TEXT>48.2 kB/s</TEXT>'
                 '</DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>7.1 kB/s</TEXT></UPLOAD_SPEED></GLOBAL></STATS>"')
        self.say('file delete "gen_missing.dat"')
        entries = [(r.randrange(6), r.choice([10, 20, 30]), self.word()) for _ in range(r.randrange(2, 6))]
        self.stored = len(entries)
        self.say(f"config Brio/list = {quoted(entry_text(entries))}")
        self.say(f"config Brio/format = {quoted(r.choice(['D: {DownSpeed} U: {UpSpeed}', '{UpSpeed}', 'stały']))}")
        self.say("config Brio/emuleTimer = 10")
        self.settings()
        self.say("start")

    def settings(self):
        r = self.r
        # In order or from the end: the random order draws from a generator seeded with the wall clock.
        self.say(f"config Brio/order = {r.choice([0, 1])}")
        self.say(f"config Brio/onListEnd = {r.randrange(3)}")
        self.say(f"config Brio/cntIn = {r.choice([0, 1])}")

    # --- what the user does ---

    def feed_path(self, key):
        choice = self.r.choice(["present", "present", "missing", "empty"])
        name = {"present": "gen_onlinesig.dat" if key == "emulePath" else "gen_stats.xml",
                "missing": "gen_missing.dat", "empty": "gen_empty.dat"}[choice]
        self.say(f"config Brio/{'emulePath' if key == 'emulePath' else 'azureusFile'} = {quoted(name)}")
        return choice

    def menu_item(self):
        r = self.r
        what = r.choice(["emule", "azureus", "lista", "steal", "steal"])
        if self.running == what:
            self.running = None  # used again: switched off
        elif what == "emule" or what == "azureus":
            state = self.feed_path("emulePath" if what == "emule" else "azureusFile")
            # A file that cannot be read shows a box: the user may work inside it.
            if state != "present" and r.random() < 0.5:
                inside = r.choice(["lista", "steal", "advance", "hide"])
                self.say("onbox " + {"lista": f"use {LISTA}", "steal": f"contact {r.choice(CONTACTS)} use {STEAL}",
                                     "advance": "advance 10s",
                                     "hide": f"network {r.choice(NETWORKS)} status 66"}[inside])
                if inside in ("lista", "steal"):
                    self.running = None if self.running == inside else inside
            if state == "present":
                self.running = what
        elif what == "lista":
            if self.stored:
                self.running = "lista"
        else:
            self.running = "steal"
        item = {"emule": EMULE, "azureus": AZUREUS, "lista": LISTA}.get(what)
        self.say(f"use {item}" if item else f"contact {r.choice(CONTACTS)} use {STEAL}")

    def world(self):
        """What the user and the messenger do outside Brio, drawn by WORLD's weights."""
        r = self.r
        kind = r.choices(list(WORLD), weights=list(WORLD.values()))[0]
        if kind == "comes" and not self.gone:
            kind = "goes"
        if kind == "status":
            # A status alone, the way the user changes it most: mostly back to available.
            self.say(f"network {r.choice(self.networks)} status {r.choice(STATUSES)}")
        elif kind == "description":
            self.say(f"network {r.choice(self.networks)} description {quoted(self.word())}")
        elif kind == "contact":
            self.say(f"contact {r.choice(CONTACTS)} description {quoted(r.choice(['', self.word()]))}")
        elif kind == "goes":
            # A network drops out: it stops taking descriptions (disconnected), or goes offline.
            net = r.choice(self.networks)
            if net == 15:
                self.say("network 15 status 0")
            else:
                self.say(f"network {net} capability 0")
            self.gone.add(net)
        elif kind == "comes":
            net = r.choice(sorted(self.gone))
            self.say("network 15 status 64" if net == 15 else f"network {net} capability 1")
            self.gone.discard(net)
        elif kind == "new":
            # A network plug-in the messenger did not have before (once a script).
            if NEW_NETWORK not in self.networks:
                self.say(f"network add {NEW_NETWORK} {quoted('sieć nowa')} description {quoted(self.word())}")
                self.networks.append(NEW_NETWORK)
            else:
                self.say(f"network {NEW_NETWORK} status {r.choice(STATUSES)}")
        elif kind == "settings":
            self.settings()
        else:
            self.say(f"clipboard {r.choice(['hold', 'release'])}")

    def list_step(self):
        r = self.r
        rows, sel = self.rows, self.selected
        choices = ["add", "load_sts", "load_txt", "save", "width"]
        if rows:
            choices += ["click", "click", "select", "rightclick", "rightclick", "sort", "edit", "none"]
            if sel and len(sel) < rows:
                choices += ["drag", "drag"]
            if self.picked:
                choices.append("replace")
        what = r.choice(choices)
        if what == "click":
            row = r.randrange(rows)
            self.say(f"list click {row}")
            self.selected, self.picked = {row}, True
            if r.random() < REPLACE_AFTER_CLICK:
                self.replace()
        elif what == "none":
            self.say("list click none")
            self.selected = set()
        elif what == "select":
            chosen = sorted(r.sample(range(rows), r.randint(1, min(3, rows))))
            self.say("list select " + " ".join(map(str, chosen)))
            self.selected = set(chosen)
        elif what == "rightclick":
            row = r.randrange(rows)
            if sel is None:
                # Where the selection is not known (after a sort, a drop...), the user clicks the row
                # first, so that what "Usuń" takes is known.
                self.say(f"list click {row}")
                sel, self.picked = {row}, True
            choose = r.choice([0, 1, 2, 2, 3, -1])
            self.say(f"list rightclick {row}" + (f" choose {choose}" if choose >= 0 else ""))
            if row not in sel:
                sel = {row}
            if choose == 0:
                # The copy goes below the row, unselected, inside a selection too.
                self.rows += 1
                self.selected = {s + 1 if s > row else s for s in sel}
            elif choose == 2:
                self.rows -= len(sel)
                self.selected = set()
            elif choose == 3:
                self.rows, self.selected = 0, set()
            else:
                self.selected = sel
        elif what == "sort":
            self.say(f"list sort {r.randrange(2)}")
            self.selected = None
        elif what == "edit":
            row = r.randrange(rows)
            self.say(f"list edit {row} " + r.choice([quoted(self.word()), quoted(""), "cancel"]))
            self.selected = None
        elif what == "drag":
            target = r.choice([t for t in range(rows) if t not in sel])
            self.say(f"list drag {target} {r.choice(['label', 'label', 'icon'])}")
            self.selected = None
        elif what == "width":
            column = r.randrange(2)
            self.say(f"list width {column} {r.choice([8, 30, 297] if column == 0 else [30, 55])}")
        elif what == "add":
            description = r.choice([self.word(), self.word(), ""])
            self.say(f"set {STATUS_FIELD} {quoted(str(r.randrange(6)))}")
            self.say(f"set {DESCRIPTION_FIELD} {quoted(description)}")
            self.say(f"set {TIME_FIELD} {quoted(str(r.choice([5, 10, 45])))}")
            self.say(f"press {ADD}")
            if description:
                self.rows += 1
        elif what == "replace":
            self.replace()
        elif what == "load_sts":
            k = r.randint(1, 3)
            body = "".join(f"status={r.randrange(6)}\\r\\ntime={r.choice([10, 20])}\\r\\ntext={self.word()}\\r\\n\\r\\n"
                           for _ in range(k))
            self.say(f"file write \"gen_in.sts\" {quoted(body)}")
            self.say('filedialog answer "gen_in.sts" filter 1')
            self.say(f"press {LOAD}")
            self.rows += k
        elif what == "load_txt":
            k = r.randint(1, 3)
            body = "\\r\\n".join(self.word() for _ in range(k))
            self.say(f"file write \"gen_in.txt\" {quoted(body)}")
            self.say('filedialog answer "gen_in.txt" filter 2')
            self.say(f"press {LOAD}")
            if r.random() < 0.8:
                self.say(f"import status {r.randrange(6)} time {quoted(str(r.choice([5, 30])))} ok")
                self.rows += k
            else:
                self.say("import cancel")
        elif what == "save":
            if r.random() < 0.2:
                self.say('filedialog answer "gen_no_such_folder/x.sts" filter 1')  # refused
                self.say(f"press {SAVE}")
            else:
                filter_ = r.choice([1, 2])
                name = "gen_out.sts" if filter_ == 1 else "gen_out.txt"
                self.say(f"filedialog answer {quoted(name)} filter {filter_}")
                self.say(f"press {SAVE}")
                self.say(f"file show {quoted(name)}")

    def replace(self):
        """"Zmień" on the picked row: the status alone, the description alone, or both changed first."""
        r = self.r
        fields = r.choices(list(REPLACE_FIELDS), weights=list(REPLACE_FIELDS.values()))[0]
        if fields != "description":
            self.say(f"set {STATUS_FIELD} {quoted(str(r.randrange(6)))}")
        if fields != "status":
            self.say(f"set {DESCRIPTION_FIELD} {quoted(self.word())}")
        self.say(f"press {REPLACE}")
        self.selected = None

    def pages(self):
        r = self.r
        if self.page is None:
            page = r.choice(["Lista", "Lista", "Brio"])
            self.say(f"open page {page}")
            self.page = page
            if page == "Lista":
                self.rows, self.selected, self.picked = self.stored, set(), False
        else:
            self.say(f"close page {self.page}")
            if self.page == "Lista":
                self.stored = self.rows
            self.page = None

    def step(self):
        r = self.r
        if self.page == "Lista" and r.random() < LIST_SHARE:
            self.list_step()
            return
        what = r.choices(list(STEP), weights=list(STEP.values()))[0]
        if what == "menu":
            self.menu_item()
        elif what == "advance":
            self.say(f"advance {r.choice([10, 10, 20])}s")
        elif what == "world":
            self.world()
        elif what == "pages" or self.page is not None:
            self.pages()
        elif what == "restart":
            self.say("restart")
            self.running = None
        else:
            # The messenger ends at once (the plug-in is told nothing) and is started again: what it
            # showed stays, and Brio gives back what it kept when it starts.
            self.say("crash")
            self.say("start")
            self.running = None

    def finish(self):
        if self.page:
            self.say("list show" if self.page == "Lista" else "show networks")
            self.say(f"close page {self.page}")
        self.say("show networks")
        self.say("stop")


def main():
    seed = int(sys.argv[1])
    steps = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    s = Script(seed)
    s.setup()
    for _ in range(steps):
        s.step()
        if s.page == "Lista" and s.r.random() < 0.15:
            s.say("list show")
    s.finish()
    print("\n".join(s.lines))


if __name__ == "__main__":
    main()
