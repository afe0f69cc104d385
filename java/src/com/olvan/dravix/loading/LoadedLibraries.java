package com.olvan.dravix.loading;

import java.io.IOException;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.LinkedHashSet;
import java.util.List;
import java.util.Optional;
import java.util.Set;
import java.util.regex.Pattern;

/**
 * Which libraries the bridge needs and which files the dynamic loader took for
 * them: the bridge's NEEDED entries, read from its ELF dynamic section, and the
 * files mapped into this process ({@code /proc/self/maps}). Public for the
 * API's loader; the package is not exported.
 */
public final class LoadedLibraries {
    /** The C and C++ runtimes and the JVM: needed by every bridge, not the product's. */
    private static final Pattern RUNTIME = Pattern.compile(
            "lib(c|m|dl|rt|pthread|stdc\\+\\+|gcc_s|jvm)\\.so(\\..*)?");
    private static final int SHT_DYNAMIC = 6;
    /** The section in which a library may say what it is, as NUL-terminated UTF-8. */
    private static final String ABOUT_SECTION = "olvan_dravix_about";
    private static final long DT_NULL = 0;
    private static final long DT_NEEDED = 1;

    private LoadedLibraries() {
    }

    /** A library the bridge needs, and the file mapped for it if one is. */
    public record Library(String name, Optional<Path> file) {
    }

    /** The product libraries the bridge needs (its NEEDED entries but the runtimes), resolved. */
    public static List<Library> productLibraries(Path bridge) throws IOException {
        Set<Path> mapped = mappedFiles();
        List<Library> libraries = new ArrayList<>();
        for (String name : needed(bridge)) {
            if (!RUNTIME.matcher(name).matches()) {
                libraries.add(new Library(name, resolve(name, bridge.toRealPath().getParent(), mapped)));
            }
        }
        return libraries;
    }

    /** The file mapped for a NEEDED name: the one $ORIGIN leads to, or else one of that name. */
    private static Optional<Path> resolve(String name, Path origin, Set<Path> mapped) {
        Path beside = origin.resolve(name);
        if (Files.exists(beside)) {
            try {
                Path real = beside.toRealPath();
                if (mapped.contains(real)) {
                    return Optional.of(real);
                }
            } catch (IOException e) {
                // Not resolvable: look for the name among the mapped files.
            }
        }
        return named(mapped, name);
    }

    /** The first file of that name mapped into this process, if any. */
    public static Optional<Path> mapped(String name) throws IOException {
        return named(mappedFiles(), name);
    }

    private static Optional<Path> named(Set<Path> files, String name) {
        return files.stream().filter(p -> p.getFileName().toString().equals(name)).findFirst();
    }

    /** Every file mapped into this process, as the kernel names it. */
    static Set<Path> mappedFiles() throws IOException {
        Set<Path> files = new LinkedHashSet<>();
        for (String line : Files.readAllLines(Paths.get("/proc/self/maps"), StandardCharsets.UTF_8)) {
            int slash = line.indexOf('/');
            if (slash >= 0 && !line.endsWith(" (deleted)")) {
                files.add(Paths.get(line.substring(slash)));
            }
        }
        return files;
    }

    /** The machine an ELF file is built for, in os.arch's words where there are some, or null if unreadable. */
    public static String machine(Path file) {
        try (java.io.InputStream in = Files.newInputStream(file)) {
            byte[] header = in.readNBytes(20);
            if (header.length < 20 || header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') {
                return null;
            }
            int machine = (header[18] & 0xFF) | (header[19] & 0xFF) << 8;
            switch (machine) {
                case 0x3E:
                    return "amd64";
                case 0xB7:
                    return "aarch64";
                case 0x03:
                    return "x86";
                case 0x28:
                    return "arm";
                default:
                    return "ELF machine " + machine;
            }
        } catch (IOException e) {
            return null;
        }
    }

    /** What the library says it is, from its section olvan_dravix_about, if it says. */
    public static Optional<String> about(Path library) throws IOException {
        ByteBuffer bytes = elf(library);
        SectionTable table = SectionTable.of(bytes);
        int names = Math.toIntExact(bytes.getLong(table.header(table.namesIndex()) + 0x18));
        for (int i = 0; i < table.count(); i++) {
            int header = table.header(i);
            if (cString(bytes, names + bytes.getInt(header)).equals(ABOUT_SECTION)) {
                return Optional.of(cString(bytes, Math.toIntExact(bytes.getLong(header + 0x18))));
            }
        }
        return Optional.empty();
    }

    /** The section header table: where it starts, its entries' size and count, the section names' index. */
    private record SectionTable(long start, int entrySize, int count, int namesIndex) {
        static SectionTable of(ByteBuffer bytes) {
            return new SectionTable(bytes.getLong(0x28), Short.toUnsignedInt(bytes.getShort(0x3A)),
                    Short.toUnsignedInt(bytes.getShort(0x3C)), Short.toUnsignedInt(bytes.getShort(0x3E)));
        }

        /** Where the header of section index begins. */
        int header(int index) {
            return Math.toIntExact(start + (long) index * entrySize);
        }
    }

    /** The NEEDED entries of a 64-bit little-endian ELF shared object, in order. */
    public static List<String> needed(Path elf) throws IOException {
        ByteBuffer bytes = elf(elf);
        List<String> names = new ArrayList<>();
        for (Section dynamic : sections(bytes, SHT_DYNAMIC)) {
            for (int entry = dynamic.offset(); entry + 16 <= dynamic.end(); entry += 16) {
                long tag = bytes.getLong(entry);
                if (tag == DT_NULL) {
                    break;
                }
                if (tag == DT_NEEDED) {
                    names.add(cString(bytes, dynamic.strings() + Math.toIntExact(bytes.getLong(entry + 8))));
                }
            }
        }
        return names;
    }

    /** A section's bytes and the string table its entries name things in. */
    private record Section(int offset, long end, int strings) {
    }

    /** The sections of one type, each with its linked string table. */
    private static List<Section> sections(ByteBuffer bytes, int type) {
        SectionTable table = SectionTable.of(bytes);
        List<Section> sections = new ArrayList<>();
        for (int i = 0; i < table.count(); i++) {
            int header = table.header(i);
            if (bytes.getInt(header + 4) != type) {
                continue;
            }
            int offset = Math.toIntExact(bytes.getLong(header + 0x18));
            int stringsHeader = table.header(bytes.getInt(header + 0x28));
            sections.add(new Section(offset, offset + bytes.getLong(header + 0x20),
                    Math.toIntExact(bytes.getLong(stringsHeader + 0x18))));
        }
        return sections;
    }

    private static ByteBuffer elf(Path file) throws IOException {
        ByteBuffer bytes = ByteBuffer.wrap(Files.readAllBytes(file)).order(ByteOrder.LITTLE_ENDIAN);
        if (bytes.limit() < 64 || bytes.getInt(0) != 0x464C457F || bytes.get(4) != 2 || bytes.get(5) != 1) {
            throw new IOException(file + " is not a 64-bit little-endian ELF file");
        }
        return bytes;
    }

    private static String cString(ByteBuffer bytes, int start) {
        int end = start;
        while (bytes.get(end) != 0) {
            end++;
        }
        byte[] text = new byte[end - start];
        bytes.get(start, text);
        return new String(text, StandardCharsets.UTF_8);
    }
}
