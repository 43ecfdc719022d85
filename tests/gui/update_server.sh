#!/bin/sh
# Starts or stops the release server of the update tests.
#   update_server.sh start <work folder> <Folivex.exe> <installer>
#   update_server.sh stop <work folder>
# "start" makes a test certificate authority and a server certificate for
# localhost with openssl (the authority is trusted only inside the test's
# Wine prefix, by the tests themselves) and waits until the server answers
# on the port it wrote into <work folder>/port.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cmd=$1 work=$2
if [ "$cmd" = stop ]; then
  [ -f "$work/server.pid" ] && kill "$(cat "$work/server.pid")" 2>/dev/null || true
  rm -f "$work/server.pid" "$work/port"
  exit 0
fi
exe=$3 setup=$4
mkdir -p "$work"
[ -f "$work/server.pid" ] && kill "$(cat "$work/server.pid")" 2>/dev/null || true
rm -f "$work/server.pid" "$work/port" "$work/gate"
if [ ! -f "$work/ca.pem" ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Folivex Test Authority" \
    -keyout "$work/ca.key" -out "$work/ca.pem" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' >"$work/ext.cnf"
  openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial -days 3650 \
    -extfile "$work/ext.cnf" -out "$work/server.pem" 2>/dev/null
fi
setsid python3 "$here/update_server.py" "$work" "$exe" "$setup" >"$work/server.log" 2>&1 </dev/null &
for _ in $(seq 100); do
  if [ -f "$work/server.pid" ] &&
    curl -s --cacert "$work/ca.pem" -o /dev/null "https://localhost:$(cat "$work/port")/good/latest.json"; then
    exit 0
  fi
  sleep 0.1
done
echo "update server did not start" >&2
cat "$work/server.log" >&2
exit 1
