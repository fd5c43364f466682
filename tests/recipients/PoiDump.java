// Prints an .xls workbook as Apache POI reads it, as JSON in the shape dump_xls.py prints:
// every sheet's name and rows, and how many cells are not text. POI refuses a workbook whose
// records it cannot accept; the exception then goes to stderr with exit code 1.
// Run with the JDK's source launcher: java -cp <poi and its jars> PoiDump.java FILE
import java.io.File;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;

import org.apache.poi.hssf.usermodel.HSSFWorkbook;
import org.apache.poi.poifs.filesystem.POIFSFileSystem;
import org.apache.poi.ss.usermodel.Cell;
import org.apache.poi.ss.usermodel.CellType;
import org.apache.poi.ss.usermodel.Row;
import org.apache.poi.ss.usermodel.Sheet;

public class PoiDump {
    static void string(StringBuilder out, String s) {
        out.append('"');
        for (int i = 0; i < s.length(); ++i) {
            char c = s.charAt(i);
            if (c == '"' || c == '\\')
                out.append('\\').append(c);
            else if (c < 0x20)
                out.append(String.format("\\u%04x", (int) c));
            else
                out.append(c);
        }
        out.append('"');
    }

    public static void main(String[] args) throws Exception {
        StringBuilder out = new StringBuilder("{\"sheets\": [");
        try (POIFSFileSystem fs = new POIFSFileSystem(new File(args[0]), true);
             HSSFWorkbook book = new HSSFWorkbook(fs.getRoot(), true)) {
            for (int s = 0; s < book.getNumberOfSheets(); ++s) {
                Sheet sheet = book.getSheetAt(s);
                if (s > 0)
                    out.append(", ");
                out.append("{\"name\": ");
                string(out, sheet.getSheetName());
                out.append(", \"rows\": [");
                int nonText = 0;
                int rows = sheet.getPhysicalNumberOfRows() == 0 ? 0 : sheet.getLastRowNum() + 1;
                for (int r = 0; r < rows; ++r) {
                    if (r > 0)
                        out.append(", ");
                    out.append('[');
                    Row row = sheet.getRow(r);
                    int cells = row == null ? 0 : Math.max(0, row.getLastCellNum());
                    for (int c = 0; c < cells; ++c) {
                        if (c > 0)
                            out.append(", ");
                        Cell cell = row.getCell(c);
                        if (cell == null || cell.getCellType() != CellType.STRING) {
                            ++nonText;
                            out.append("\"\"");
                        } else {
                            string(out, cell.getStringCellValue());
                        }
                    }
                    out.append(']');
                }
                out.append("], \"nonText\": ").append(nonText).append('}');
            }
        }
        out.append("]}");
        PrintStream stdout = new PrintStream(System.out, true, StandardCharsets.UTF_8);
        stdout.print(out);
    }
}
