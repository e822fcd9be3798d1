#!/bin/sh
# Writes the seed corpora of the project's fuzz targets (a few hundred bytes
# each): manifests and driver compose files of every shape the reader meets,
# and ".homeyignore" files in several encodings and line-break styles.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
json="$here/corpus/project_json"
ignore="$here/corpus/ignore_entry"
mkdir -p "$json" "$ignore"

printf '%s' '{"id":"com.example.lights","version":"1.0.0","sdk":3,"name":{"en":"Lights","nl":"Lampen"},"brandColor":"#00AAFF","drivers":[{"id":"bulb","name":{"en":"Bulb"}},{"id":"plug","name":"Plug"},{"id":"plug","name":{"fr":"Prise"}},{"name":"no id"}]}' >"$json/manifest.json"
printf '%s' '{"id":"x","drivers":[{"id":"a","name":"A"},"stray",3]}' >"$json/spoiled-drivers.json"
printf '%s' '{"id":5,"name":"numeric id"}' >"$json/numeric-id.json"
printf '%s' '{"id":"","name":{"en":"e","nl":3},"brandColor":7}' >"$json/odd-shapes.json"
printf '%s' '{"name":{"en":"Compose","de":"Zusammen"},"class":"light","capabilities":["onoff","dim"]}' >"$json/compose.json"
printf '%s' '{"name":{}}' >"$json/compose-empty-name.json"
printf '%s' '[{"id":"array"}]' >"$json/array.json"
printf '%s' '{"id":"comment"} // trailing' >"$json/comment.json"
printf '%s' '{"id":"dup","id":"second","name":"\u00e9t\u00e9 \ud83d\udca1"}' >"$json/duplicate-keys.json"
printf '%s' '{"id":"deep","drivers":[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]}' >"$json/deep.json"
printf '{"id":"bad utf8 \377"}' >"$json/bad-utf8.json"

printf 'node_modules\n.DS_Store\n' >"$ignore/plain.txt"
printf 'node_modules' >"$ignore/no-final-line-feed.txt"
printf 'a\r\n \t/sources\t \r\nb' >"$ignore/crlf-with-sources.txt"
printf 'caf\351\nnode_modules' >"$ignore/latin1.txt"
printf 'x\342\200\250sources/\342\200\251y\302\205z' >"$ignore/unicode-breaks.txt"
printf 'sources/*\nSources/\n\302\240/sources/\343\200\200\n' >"$ignore/near-misses.txt"
printf '\v\f\r' >"$ignore/only-breaks.txt"
