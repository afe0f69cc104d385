package com.olvan.dravix.testkit;

import com.olvan.dravix.Dravix;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.attribute.PosixFilePermissions;

/** The kit in a JVM of its own, for what only a fresh JVM shows. Usage: KitChild folder|foreign|check */
public final class KitChild {
    private KitChild() {
    }

    public static void main(String[] args) throws Exception {
        switch (args[0]) {
            case "folder": {
                Path folder = Natives.load();
                System.out.println("folder: " + folder + " "
                        + PosixFilePermissions.toString(Files.getPosixFilePermissions(folder)));
                break;
            }
            case "foreign":
                // The API loads a bridge from java.library.path before the kit is used.
                new Dravix().close();
                try {
                    StandIn.get();
                    System.out.println("not refused");
                } catch (IllegalStateException e) {
                    System.out.println("refused: " + e);
                }
                break;
            default:
                StandIn.get();
                com.olvan.dravix.diagnostics.InstallationCheck.main(new String[0]);
        }
    }
}
