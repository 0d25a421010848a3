# The sign-off sheet of tools/check-medium: one self-contained HTML page. Input: the rows
# (slurped), one per machine; $facts: the medium's lines ("what  fact").
def groups: [
  ["setup", "The set-up program was started"],
  ["program", "The installed program was started"],
  ["message", "A message was shown, nothing was started"],
  ["nothing", "Nothing was shown, nothing was started"],
  ["error", "The launcher ended with an error"],
  ["failed", "The machine could not be run"]];

def did:
  ([.shown[] | "<div class=\"box\"><b>\(.caption | @html)</b><br>" +
     (.text | @html | gsub("\n"; "<br>")) + "</div>"] +
   [.started[] | "<div>started <code>\(.cmdline | @html)</code> in <code>\(.cwd | @html)</code></div>"]
   + (if .why then ["<div>\(.why | @html)</div>"] else [] end))
  | if length == 0 then "&mdash;" else join("") end;

def wine_cell:
  if .wine == null then "" else
    "<td class=\"\(.wine)\">\(.wine)" +
    (if .wine_why != "" and .wine != "agree" then "<br><small>\(.wine_why | @html)</small>"
     else "" end) + "</td>" end;

. as $rows
| ($rows | any(.[]; .wine != null)) as $wine
| ($facts | split("\n") | map(select(length > 0) | capture("^(?<what>[^ ]+( [^ ]+)?) +(?<fact>.*)$")))
  as $lines
| ($lines | map(select(.what == "autorun.inf")) | first // {fact: ""}).fact
  | (capture("label=(?<name>[^;]*)") // {name: "no label"}).name as $title
| [ "<!DOCTYPE html>",
    "<html lang=\"en\"><head><meta charset=\"utf-8\">",
    "<title>Medium check: \($title | @html)</title>",
    "<style>",
    "body{font-family:sans-serif;margin:2em;color:#222}",
    "table{border-collapse:collapse;width:100%;margin-bottom:1.5em}",
    "th,td{border:1px solid #bbb;padding:.3em .6em;text-align:left;vertical-align:top}",
    "th{background:#eee}td.name{white-space:nowrap;font-family:monospace}",
    ".box{margin-bottom:.3em}.agree,.known{color:#060}.skipped{color:#777}",
    ".differ,.error,.failed{color:#b00;font-weight:bold}",
    ".sign td{height:2.5em;width:33%}",
    "</style></head><body>",
    "<h1>Medium check: \($title | @html)</h1>",
    "<table>",
    ($lines[] | "<tr><th>\(.what | @html)</th><td>\(.fact | @html)</td></tr>"),
    "</table>",
    "<p>\($rows | length) machines: " +
      ([groups[] | .[0] as $o | ($rows | map(select(.outcome == $o)) | length) as $n
        | select($n > 0) | "\($n) \($o)"] | join(", ")) + "</p>",
    (groups[] | .[0] as $o | .[1] as $title
     | ($rows | map(select(.outcome == $o))) as $group
     | select($group | length > 0)
     | "<h2>\($o): \($title) (\($group | length))</h2>",
       "<table><tr><th>Machine</th><th>What the launcher showed or started</th>" +
         (if $wine then "<th>Under Wine</th>" else "" end) + "</tr>",
       ($group[] | "<tr><td class=\"name\">\(.name | @html)</td><td>\(did)</td>\(wine_cell)</tr>"),
       "</table>"),
    "<h2>Sign-off</h2>",
    "<table class=\"sign\"><tr><th>Checked by</th><th>Date</th><th>Signature</th></tr>",
    "<tr><td></td><td></td><td></td></tr></table>",
    "</body></html>" ]
| join("\n")
