#!/bin/sh
# Four stations numbering 25 cards each on a shared folder that is a network
# mount (NFS, SMB/CIFS), where file locks behave otherwise than on a local
# disk: 100 different SNs, 100 trace lines, the header holding the last.
#   tests/fiabilite/dossier_reseau.sh /mnt/partage [build folder]
# Example of a loopback NFS mount, as root, where the kernel has the client:
#   apt-get install nfs-kernel-server
#   mkdir -p /srv/calvanet && echo '/srv/calvanet 127.0.0.1(rw,sync,no_root_squash)' >> /etc/exports
#   exportfs -ra && mount -t nfs 127.0.0.1:/srv/calvanet /mnt/partage
# or SMB: a samba share of /srv/calvanet, then
#   mount -t cifs //127.0.0.1/calvanet /mnt/partage -o guest,uid=$(id -u)
set -eu
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 <dossier monte> [dossier de construction]" >&2
    exit 2
fi
racine=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-${CALVANET_BUILD_DIR:-$racine/build}}
test="$build/tests/fiabilite/tst_DossierPartage"
if [ ! -x "$test" ]; then
    echo "$test introuvable: cmake --build $build --target tst_DossierPartage" >&2
    exit 2
fi
dossier="$1/calvanet-partage-$(hostname)-$$"
mkdir "$dossier"
echo "dossier partage: $dossier ($(stat -f -c %T "$1"))"
statut=0
QT_QPA_PLATFORM=offscreen CALVANET_DOSSIER_PARTAGE="$dossier" "$test" || statut=$?
echo "fichier laisse pour lecture: $dossier/SNcarte.txt"
exit $statut
