#!/bin/sh
# https:// through libcurl against a loopback TLS server whose certificate a certificate
# authority made here signs: read when CURL_CA_BUNDLE or SSL_CERT_FILE names that authority
# (CURL_CA_BUNDLE first, as the curl tool takes them), refused when nothing trusts it.
# Usage: cli_https_test.sh ORVANE SAMPLES_DIR EXPECTED_DIR SERVER_SCRIPT
set -eu
orvane=$1
samples=$2
expected=$3
server_script=$4
work=$(mktemp -d)
server=
trap '[ -z "$server" ] || kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

quiet() { "$@" >/dev/null 2>&1; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=orvane-test-authority \
    -keyout "$work/ca.key" -out "$work/ca.pem"
quiet openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout "$work/server.key" -out "$work/server.csr"
printf 'subjectAltName=IP:127.0.0.1\n' >"$work/names"
quiet openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
    -days 2 -extfile "$work/names" -out "$work/server.pem"
# Another authority, trusted by nobody that matters: the wrong file to name.
quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=orvane-other -keyout "$work/other.key" \
    -out "$work/other.pem"

python3 "$server_script" "$samples" "$work/server.pem" "$work/server.key" "$work/port" &
server=$!
i=0
while [ ! -s "$work/port" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
address=https://127.0.0.1:$(cat "$work/port")/Canon_40D.jpg

failures=0
# CURL_CA_BUNDLE | SSL_CERT_FILE | status
while IFS='|' read -r bundle certfile status; do
    set +e
    env -u CURL_CA_BUNDLE -u SSL_CERT_FILE ${bundle:+CURL_CA_BUNDLE=$work/$bundle} \
        ${certfile:+SSL_CERT_FILE=$work/$certfile} "$orvane" "$address" >"$work/out" 2>"$work/err"
    got=$?
    set -e
    if [ "$got" != "$status" ]; then
        echo "cli_https_test: CURL_CA_BUNDLE=$bundle SSL_CERT_FILE=$certfile: status $got, not $status"; cat "$work/err"
        failures=$((failures + 1))
    elif [ "$status" = 0 ] && ! cmp -s "$expected/Canon_40D.txt" "$work/out"; then
        echo "cli_https_test: CURL_CA_BUNDLE=$bundle SSL_CERT_FILE=$certfile: not the stored list"
        failures=$((failures + 1))
    fi
done <<'CASES'
ca.pem||0
|ca.pem|0
ca.pem|other.pem|0
other.pem|ca.pem|1
other.pem||1
||1
CASES
[ "$failures" = 0 ] || exit 1
echo "cli_https_test: 6 cases passed"
