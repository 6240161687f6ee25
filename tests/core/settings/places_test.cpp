#include "core/settings/places.h"

#include <gtest/gtest.h>

namespace quilto {
namespace {

TEST(Places, HomeRootMediaAndSharesFromTheMountTable) {
    const char* mounts =
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sdb1 /media/taro/USB\\040DISK vfat rw 0 0\n"
        "//nas/share /mnt/nas cifs rw 0 0\n"
        "server:/export /srv/estimates nfs4 rw 0 0\n"
        "/dev/sdb1 /media/taro/USB\\040DISK vfat rw 0 0\n"
        "broken line\n";
    const std::vector<Place> places = PlacesFromMounts(mounts, "/home/taro");
    std::vector<QString> paths;
    for (const Place& place : places) paths.push_back(place.path);
    EXPECT_EQ(paths, (std::vector<QString>{"/home/taro", "/", "/media/taro/USB DISK", "/mnt/nas",
                                           "/srv/estimates"}));
    EXPECT_EQ(places[0].label, "ホーム (/home/taro)");
    EXPECT_EQ(places[2].label, "メディア (/media/taro/USB DISK)");
    EXPECT_EQ(places[4].label, "ネットワーク (/srv/estimates)");
}

}  // namespace
}  // namespace quilto
